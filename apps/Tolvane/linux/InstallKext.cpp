// Linux: polkit's pkexec asks for an administrator's password and runs the script as root.
// pkexec authorises the request against the process that started it, so Tolvane waits for it
// instead of leaving it behind, and its exit status tells what happened: the script's own
// status once authorised, 126 when the dialog was dismissed, 127 when the request was not
// authorised. TOLVANE_ELEVATOR=PROGRAM runs in place of pkexec (a hook for tests; it gains
// nothing, PROGRAM runs with the caller's own rights).
#include "InstallKext.h"
#include <cstdlib>
#include "devices/QuickTask.h"
#include "platform/Log.h"

namespace harbrix::tolvane {
namespace {

constexpr int kDismissed = 126;
constexpr int kNotAuthorised = 127;

}  // namespace

TolvaneStatus installKext() {
    // The steps of the macOS authorization, kept so that both logs read alike.
    for (int step = 1; step <= 5; ++step) logFormat("InstallKext :: %d", step);
    const char* stand = std::getenv("TOLVANE_ELEVATOR");
    const std::string elevator = stand != nullptr && *stand != '\0' ? stand : "/usr/bin/pkexec";
    logLine("InstallKext :: 6");
    const auto script = scriptPath();
    logLine("InstallKext :: 7");
    logLine("InstallKext :: 8");
    const int status =
        script ? QuickTask::statusOfTask(elevator, QuickTask::Arguments{*script, "brisk oaf"}) : -1;
    logLine("InstallKext :: 9");
    logFormat("result = %d", status);
    logLine("InstallKext :: 10");
    if (status == 0) return TolvaneStatus::installed;
    if (status == kDismissed || status == kNotAuthorised) return TolvaneStatus::notAuthorised;
    return TolvaneStatus::failed;
}

}  // namespace harbrix::tolvane
