// Where Tolvane finds its installation script: in its own bundle, found from its executable
// alone (an environment variable must never choose what runs with administrator rights).
#include <filesystem>

#include "InstallKext.h"
#include "platform/Bundle.h"

namespace harbrix::tolvane {

std::optional<std::string> scriptPath() {
    namespace fs = std::filesystem;
    const fs::path executable = Bundle::executablePath();
    if (executable.empty()) return std::nullopt;
    const fs::path script =
        executable.parent_path().parent_path() / "Resources" / "Scripts" / "Tolvane.sh";
    std::error_code error;
    if (!fs::is_regular_file(script, error)) return std::nullopt;
    return script.string();
}

}  // namespace harbrix::tolvane
