// The product version macOS reports, "10.15.7" -> 10.15.
#include <sys/sysctl.h>

#include <string>

#include "installer/SystemVersion.h"

namespace harbrix {

SystemVersion runningSystemVersion() {
    char text[64] = {};
    std::size_t size = sizeof text - 1;
    if (::sysctlbyname("kern.osproductversion", text, &size, nullptr, 0) == 0)
        if (const auto version = SystemVersion::parse(std::string("macOS ") + text))
            return *version;
    return SystemVersion{SystemVersion::Family::macOS, 0, 0};
}

}  // namespace harbrix
