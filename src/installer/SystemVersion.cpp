#include "installer/SystemVersion.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace harbrix {
namespace {

// Reads "major[.minor...]" at the start of the text; the rest is ignored.
bool readNumbers(std::string_view text, unsigned& major, unsigned& minor) {
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, major);
    if (error != std::errc()) return false;
    minor = 0;
    if (next != end && *next == '.') {
        const auto [after, minorError] = std::from_chars(next + 1, end, minor);
        (void)after;
        if (minorError != std::errc()) minor = 0;
    }
    return true;
}

}  // namespace

std::optional<SystemVersion> SystemVersion::parse(std::string_view text) {
    SystemVersion version;
    const auto space = text.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view family = text.substr(0, space);
    if (family == "macOS")
        version.family = Family::macOS;
    else if (family == "Linux")
        version.family = Family::linux;
    else
        return std::nullopt;
    if (!readNumbers(text.substr(space + 1), version.major, version.minor)) return std::nullopt;
    return version;
}

namespace ProcessInfo {

SystemVersion systemVersion() {
    if (const char* stand = std::getenv("HARBRIX_SYSTEM_VERSION"); stand != nullptr)
        if (const auto version = SystemVersion::parse(stand)) return *version;
    return runningSystemVersion();
}

bool isPreCatalina(const SystemVersion& version) {
    return version.family == SystemVersion::Family::macOS && version.major == 10 &&
           version.minor < 15;
}

bool isCatalina(const SystemVersion& version) {
    return version.family == SystemVersion::Family::macOS && version.major == 10 &&
           version.minor == 15;
}

bool isAtLeastCatalina(const SystemVersion& version) {
    return !isPreCatalina(version);
}

bool isPreBigSur(const SystemVersion& version) {
    return version.family == SystemVersion::Family::macOS && version.major < 11;
}

bool isKextFriendlyEnvironment(const SystemVersion& version) {
    return version.family == SystemVersion::Family::linux || isPreBigSur(version);
}

}  // namespace ProcessInfo
}  // namespace harbrix
