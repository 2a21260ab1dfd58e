// A device brought up on a ScriptedLine as a given model and firmware release, with every
// time-out of the pedal 0 so that commands that wait for them do not slow tests down.
// After the bring-up the test's own responder answers everything.
#pragma once

#include <memory>
#include <string>

#include "link/QORUARTDevice.h"
#include "support/ScriptedLine.h"

namespace harbrix::test {

// Answers the bring-up commands as a pedal of that model and firmware does (time-outs 0),
// and every other command with a bare acknowledgement.
ScriptedLine::Responder bringUpResponder(const std::string& model, const std::string& firmware);

// Empty when the bring-up failed.
std::shared_ptr<QORUARTDevice> scriptedDevice(const std::shared_ptr<ScriptedLine>& line,
                                              const std::string& model, const std::string& firmware,
                                              ScriptedLine::Responder responder);

}  // namespace harbrix::test
