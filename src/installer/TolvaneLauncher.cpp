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

bool launchTolvaneer() {
    logLine("launchTolvaneer :: 1");
    if (!ProcessInfo::isKextFriendlyEnvironment()) return false;
    logLine("launchTolvaneer :: 2");
    const auto path = tolvanePath();
    if (!path) return false;
    logLine("launchTolvaneer :: 3");
    const std::uint64_t now = referenceDateSeconds();
    logLine("launchTolvaneer :: 4");
    const int status = QuickTask::statusOfTask(
        *path, QuickTask::Arguments{launchToken(now), launchToken(now + 1)});
    if (status != 0) return false;
    logLine("launchTolvaneer :: 5");
    return true;
}

}  // namespace harbrix
