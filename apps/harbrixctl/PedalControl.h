// What the settings, reset, effect and flash commands share: the pedal named on the command
// line brought up on its queue before their work runs there.
#pragma once

#include <functional>
#include <memory>

#include "CommandLine.h"
#include "DeviceSession.h"

namespace harbrix::ctl {

// Brings the session's pedal up and runs `work` on its queue; a pedal that does not come up
// is reported with the reason and status 1. `--log` shows the traffic.
int runBroughtUp(DeviceSession& session, const CommandLine& line,
                 const std::function<int(QORUARTDevice&)>& work);

// Status 2, after saying which pedal has no memory map, when `device` has none.
int needsMemoryMap(const QORUARTDevice& device, const char* what);

// Status 0 after saying that the pedal answers again after a restart, with its firmware.
int pedalIsBack(const QORUARTDevice& device);

}  // namespace harbrix::ctl
