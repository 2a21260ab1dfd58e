// Linux: the driver is our udev rule, in one of udev's rules folders: /etc (where Tolvane
// puts it), /run, or /usr/lib (where the package puts it). As udev does, the first folder
// holding the name decides, so a rule the administrator masked in /etc (a link to /dev/null or
// an empty file) counts as missing even though the package's copy is still there.
#include <sys/stat.h>

#include <cstdlib>

#include "installer/DriverCheck.h"

namespace harbrix {

const char* driverLocation() {
    return "udev/rules.d/60-harbrix-qor.rules";
}

std::optional<std::string> systemDriverFinderOutput() {
    const char* root = std::getenv("HARBRIX_UDEV_ROOT");
    const std::string prefix = root != nullptr ? root : "";
    for (const char* folder :
         {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        const std::string path = prefix + folder + "/" + kUdevRuleName;
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0) continue;
        struct stat target {};
        const bool rule =
            ::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode) && target.st_size > 0;
        return rule ? path : std::string();
    }
    return std::string();
}

}  // namespace harbrix
