#include "platform/Bundle.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace harbrix::Bundle {
namespace fs = std::filesystem;

std::string executablePath() {
#ifdef __APPLE__
    char buffer[4096];
    std::uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) != 0) return {};
    std::error_code error;
    return fs::canonical(buffer, error).string();
#else
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
#endif
}

std::optional<std::string> bundlePath() {
    const fs::path executable = executablePath();
    if (executable.empty()) return std::nullopt;
    // Inside a bundle: NAME.app/Contents/MacOS/executable.
    const fs::path macos = executable.parent_path();
    const fs::path contents = macos.parent_path();
    if (macos.filename() == "MacOS" && contents.filename() == "Contents" &&
        contents.parent_path().extension() == ".app")
        return contents.parent_path().string();
    // A tool in the build's bin folder uses the bundle the build lays out beside it.
    std::error_code error;
    const fs::path beside = macos.parent_path() / "Harbrix.app";
    if (fs::is_directory(beside, error)) return beside.string();
    return std::nullopt;
}

std::optional<std::string> resourcesPath() {
    if (const char* override = std::getenv("HARBRIX_RESOURCES"); override != nullptr && *override != '\0')
        return std::string(override);
    const auto bundle = bundlePath();
    if (!bundle) return std::nullopt;
    return *bundle + "/Contents/Resources";
}

std::optional<std::string> pathForResource(const std::string& name, const std::string& type,
                                           const std::string& directory) {
    const auto resources = resourcesPath();
    if (!resources || name.empty()) return std::nullopt;
    fs::path path = *resources;
    if (!directory.empty()) path /= directory;
    path /= type.empty() ? name : name + "." + type;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    return path.string();
}

}  // namespace harbrix::Bundle
