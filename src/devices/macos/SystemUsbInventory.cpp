// The system profiler's USB report, as the system tool writes it.
#include "devices/QuickTask.h"
#include "devices/UsbInventory.h"

namespace harbrix::UsbInventory {

std::optional<std::string> systemText() {
    return QuickTask::outputOfTask("/usr/sbin/system_profiler",
                                   QuickTask::Arguments{"-json", "SPUSBDataType"}, std::nullopt,
                                   true);
}

}  // namespace harbrix::UsbInventory
