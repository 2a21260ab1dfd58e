// harbrixctl driver [install]: the empty window's driver check and its "Install Driver" button.
#include <cstdio>

#include "Commands.h"
#include "installer/DriverCheck.h"
#include "installer/SystemVersion.h"
#include "installer/TolvaneLauncher.h"

namespace harbrix::ctl {
namespace {

// 0 when the driver is there or not needed, 1 when it is missing.
int report() {
    if (!ProcessInfo::isKextFriendlyEnvironment()) {
        std::printf("no driver needed on this system\n");
        return 0;
    }
    const auto found = driverFinderOutput();
    if (!needsKext()) {
        std::printf("installed: %s\n", found ? found->c_str() : "");
        return 0;
    }
    std::printf("not installed\n");
    return 1;
}

}  // namespace

int driverCommand(const CommandLine& line) {
    if (line.arguments.empty()) return report();
    if (line.arguments.size() != 1 || line.arguments[0] != "install")
        return usageError("driver takes nothing or \"install\"");
    if (!needsKext()) return report();
    if (!launchTolvaneer()) {
        std::fprintf(stderr, "harbrixctl: the driver installer did not run\n");
        return 1;
    }
    return report();
}

}  // namespace harbrix::ctl
