// The kernel's release, "6.1.0-13-amd64" -> 6.1.
#include <sys/utsname.h>

#include <string>

#include "installer/SystemVersion.h"

namespace harbrix {

SystemVersion runningSystemVersion() {
    utsname names{};
    if (::uname(&names) == 0)
        if (const auto version = SystemVersion::parse(std::string("Linux ") + names.release))
            return *version;
    return SystemVersion{SystemVersion::Family::linux, 0, 0};
}

}  // namespace harbrix
