// Tolvane: the small installer program Harbrix starts when the pedals' driver is missing. It
// checks the two launch tokens Harbrix passed, then installs the driver with administrator
// rights. It shares no code with Harbrix at run time: the few sources they have in common
// are compiled into it again. The exit status is a TolvaneStatus: 1 when it refused to run,
// otherwise what became of the privileged step (0 also when no driver was needed).
#include <string>

#include "InstallKext.h"
#include "installer/DriverCheck.h"
#include "installer/LaunchToken.h"
#include "installer/SystemVersion.h"
#include "platform/Log.h"

using namespace harbrix;

namespace {

constexpr int kRefused = static_cast<int>(TolvaneStatus::refused);

bool needsKEXT() {
    logLine("NeedsKEXT :: 1");
    if (!ProcessInfo::isKextFriendlyEnvironment()) return false;
    logLine("NeedsKEXT :: 2");
    logLine("NeedsKEXT :: 3");
    const auto output = driverFinderOutput();
    if (output && output->find(driverLocation()) != std::string::npos) {
        logLine("NeedsKEXT :: 4");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    logLine("Tolvane.main :: 1");
    if (argc != 3 || !ProcessInfo::isKextFriendlyEnvironment()) return kRefused;
    logLine("Tolvane.main :: 2");
    const std::string first = argv[1];
    if (first.empty()) return kRefused;
    logLine("Tolvane.main :: 3");
    const std::string second = argv[2];
    if (second.empty()) return kRefused;
    logLine("Tolvane.main :: 4");
    logLine(first);
    logLine(second);
    logLine("Tolvane.main :: 5");
    // Only a caller that started us this second or the one before knows our token.
    const std::string token = launchToken(referenceDateSeconds());
    if (token.empty() || (token != first && token != second)) return kRefused;
    logLine("Tolvane.main :: 6");
    TolvaneStatus status = TolvaneStatus::installed;
    if (needsKEXT()) {
        logLine("Tolvane.main :: 7");
        status = tolvane::installKext();
    }
    logLine("Tolvane.main :: 8");
    return static_cast<int>(status);
}
