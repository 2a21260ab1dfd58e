// harbrixctl reboot: restarts the pedal and brings it up again on the same line, the way the
// window's maintenance menu does, before the command ends.
#include <cstdio>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"
#include "link/PedalRestart.h"

namespace harbrix::ctl {

int rebootCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error);
    if (!session) return usageError(error);
    return runBroughtUp(*session, line, [](QORUARTDevice& device) {
        if (!PedalRestart(device).reboot())
            return fail(kPedalFailed, "the pedal was not rebooted, or did not answer again");
        return pedalIsBack(device);
    });
}

}  // namespace harbrix::ctl
