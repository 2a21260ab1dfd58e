// The operating system's version and the questions both programs ask of it. The answers
// are for the system they run on: on macOS from its version; on Linux, where the pedals'
// "driver" is our udev rule that every version needs, only the driver question is true.
// This file and its .cpp use nothing but the standard library: Tolvane compiles them too.
#pragma once

#include <optional>
#include <string_view>

namespace harbrix {

struct SystemVersion {
    enum class Family { macOS, linux };
    Family family = Family::macOS;
    // 0.0 when the version cannot be read.
    unsigned major = 0;
    unsigned minor = 0;

    // "macOS 10.15", "Linux 6.1"; none for any other text.
    static std::optional<SystemVersion> parse(std::string_view text);
};

// The running system as it reports itself.
SystemVersion runningSystemVersion();

namespace ProcessInfo {

// The running system; HARBRIX_SYSTEM_VERSION (as `SystemVersion::parse` reads it) stands in
// for it, a hook for tests.
SystemVersion systemVersion();

bool isPreCatalina(const SystemVersion& version = systemVersion());
bool isCatalina(const SystemVersion& version = systemVersion());
bool isAtLeastCatalina(const SystemVersion& version = systemVersion());
bool isPreBigSur(const SystemVersion& version = systemVersion());
// Whether the pedals need a driver we install: a kernel extension before macOS 11, the
// udev rule on Linux.
bool isKextFriendlyEnvironment(const SystemVersion& version = systemVersion());

}  // namespace ProcessInfo
}  // namespace harbrix
