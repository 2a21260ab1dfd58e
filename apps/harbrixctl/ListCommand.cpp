// harbrixctl list: one discovery pass, each pedal it finds brought up and shown on a line.
#include <cstdio>

#include "Commands.h"
#include "DeviceSession.h"
#include "devices/Metas.h"

namespace harbrix::ctl {

int listCommand(const CommandLine& line) {
    if (!line.arguments.empty()) return usageError("list takes no arguments");
    const auto metas = Metas::metas();
    if (!metas || metas->size() == 0) {
        std::printf("no pedals found\n");
        return 0;
    }
    int status = 0;
    for (const Meta& meta : *metas) {
        std::string error;
        auto session = DeviceSession::create(meta, error);
        if (!session) {
            std::fprintf(stderr, "harbrixctl: %s\n", error.c_str());
            status = 1;
            continue;
        }
        session->device()->line().setLog(line.flag("log"));
        const int result = session->run([&meta](QORUARTDevice& device) {
            if (!device.completeInitialization()) {
                const std::string reason = device.failureReason();
                std::printf("%s  %s  %s  did not come up: %s\n", meta.name().c_str(),
                            meta.serial().c_str(), meta.path().c_str(),
                            reason.empty() ? "no answer" : reason.c_str());
                return 1;
            }
            std::printf("%s  %s  %s  firmware %s\n", device.model()->name().c_str(),
                        meta.serial().c_str(), meta.path().c_str(),
                        device.model()->version().description().c_str());
            return 0;
        });
        std::fflush(stdout);
        if (result != 0) status = 1;
    }
    return status;
}

}  // namespace harbrix::ctl
