#include "devices/UsbInventory.h"

#include <cstdlib>

#include "devices/QuickTask.h"

namespace harbrix::UsbInventory {

std::optional<std::string> text() {
    const char* command = std::getenv("HARBRIX_USB_INVENTORY");
    if (command == nullptr || *command == '\0') return systemText();
    return QuickTask::outputOfTask("/bin/sh", QuickTask::Arguments{"-c", command}, std::nullopt,
                                   true);
}

}  // namespace harbrix::UsbInventory
