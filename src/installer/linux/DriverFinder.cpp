// Linux: the driver is our udev rule, found in any of udev's rules folders (the installer
// puts it in /etc; a distribution package would put it in /usr/lib).
#include <sys/stat.h>

#include "installer/DriverCheck.h"

namespace harbrix {

const char* driverLocation() {
    return "udev/rules.d/60-harbrix-qor.rules";
}

std::optional<std::string> systemDriverFinderOutput() {
    std::string found;
    for (const char* folder :
         {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        const std::string path = std::string(folder) + "/" + kUdevRuleName;
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) found += (found.empty() ? "" : "\n") + path;
    }
    return found;
}

}  // namespace harbrix
