// Bring-up and memory-map checks shared by the pedal control commands.
#include "PedalControl.h"

#include <cstdio>

#include "PresetCommands.h"

namespace harbrix::ctl {

int runBroughtUp(DeviceSession& session, const CommandLine& line,
                 const std::function<int(QORUARTDevice&)>& work) {
    session.device()->line().setLog(line.flag("log"));
    return session.run([&work](QORUARTDevice& device) {
        if (!device.completeInitialization()) {
            const std::string reason = device.failureReason();
            return fail(kPedalFailed, reason.empty() ? "the pedal did not come up" : reason);
        }
        return work(device);
    });
}

int needsMemoryMap(const QORUARTDevice& device, const char* what) {
    if (device.memory()) return 0;
    return fail(kBadInput, "the " + device.name() + " has no " + what);
}

int pedalIsBack(const QORUARTDevice& device) {
    const auto model = device.model();
    std::printf("The pedal is back, running firmware %s.\n",
                model ? model->version().description().c_str() : "(unknown)");
    return 0;
}

}  // namespace harbrix::ctl
