#include "installer/TolvaneLauncher.h"

#include "devices/QuickTask.h"
#include "installer/LaunchToken.h"
#include "installer/SystemVersion.h"
#include "platform/Bundle.h"
#include "platform/Log.h"

namespace harbrix {

std::optional<std::string> tolvanePath() {
    const auto bundle = Bundle::bundlePath();
    if (!bundle || bundle->empty()) return std::nullopt;
    return *bundle + "/Contents/MacOS/Tolvane.app/Contents/MacOS/Tolvane";
}

TolvaneStatus runTolvane() {
    logLine("launchTolvaneer :: 1");
    if (!ProcessInfo::isKextFriendlyEnvironment()) return TolvaneStatus::refused;
    logLine("launchTolvaneer :: 2");
    const auto path = tolvanePath();
    if (!path) return TolvaneStatus::notStarted;
    logLine("launchTolvaneer :: 3");
    const std::uint64_t now = referenceDateSeconds();
    logLine("launchTolvaneer :: 4");
    const int status = QuickTask::statusOfTask(
        *path, QuickTask::Arguments{launchToken(now), launchToken(now + 1)});
    switch (status) {
        case static_cast<int>(TolvaneStatus::installed):
            logLine("launchTolvaneer :: 5");
            return TolvaneStatus::installed;
        case static_cast<int>(TolvaneStatus::refused):
        case static_cast<int>(TolvaneStatus::notAuthorised):
        case static_cast<int>(TolvaneStatus::failed):
            logFormat("launchTolvaneer: the installer ended with %d", status);
            return static_cast<TolvaneStatus>(status);
        default:
            logFormat("launchTolvaneer: the installer could not run (%d)", status);
            return TolvaneStatus::notStarted;
    }
}

bool launchTolvaneer() {
    return runTolvane() == TolvaneStatus::installed;
}

}  // namespace harbrix
