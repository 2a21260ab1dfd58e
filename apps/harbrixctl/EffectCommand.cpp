// harbrixctl effect on|off: switches the pedal's effect as its footswitch does.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"

namespace harbrix::ctl {

int effectCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, 1);
    if (!session) return usageError(error);
    const std::string& state = session->arguments()[0];
    if (state != "on" && state != "off")
        return usageError("effect takes on or off, not \"" + state + "\"");
    return runBroughtUp(*session, line, [&state](QORUARTDevice& device) {
        if (!device.control().setEffectEnabled(state == "on"))
            return fail(kPedalFailed, "the pedal did not take the switch");
        std::printf("effect %s\n", state.c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
