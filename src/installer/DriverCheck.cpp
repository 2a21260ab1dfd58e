#include "installer/DriverCheck.h"

#include <cstdlib>

#include "devices/QuickTask.h"
#include "installer/SystemVersion.h"

namespace harbrix {

std::optional<std::string> driverFinderOutput() {
    const char* command = std::getenv("HARBRIX_DRIVER_FINDER");
    if (command == nullptr || *command == '\0') return systemDriverFinderOutput();
    return QuickTask::outputOfTask("/bin/sh", QuickTask::Arguments{"-c", command}, std::nullopt,
                                   true);
}

bool needsKext() {
    if (!ProcessInfo::isKextFriendlyEnvironment()) return false;
    const auto output = driverFinderOutput();
    return !output || output->find(driverLocation()) == std::string::npos;
}

}  // namespace harbrix
