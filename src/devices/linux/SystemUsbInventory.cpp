// Linux has no system profiler; the kernel lists the same facts in sysfs.
#include <cstdlib>

#include "devices/UsbInventory.h"

namespace harbrix::UsbInventory {

std::optional<std::string> systemText() {
    const char* root = std::getenv("HARBRIX_USB_SYSFS");
    return sysfsText(root != nullptr && *root != '\0' ? root : "/sys/bus/usb/devices");
}

}  // namespace harbrix::UsbInventory
