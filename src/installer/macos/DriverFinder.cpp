// macOS: the kernel extension finder lists the driver when it is loaded.
#include "devices/QuickTask.h"
#include "installer/DriverCheck.h"

namespace harbrix {

const char* driverLocation() {
    return "/Library/Extensions/QORUARTSerialDriver.kext";
}

std::optional<std::string> systemDriverFinderOutput() {
    return QuickTask::outputOfTask(
        "/usr/sbin/kextfind", QuickTask::Arguments{"-loaded", "-b", "com.qor.UARTSerialDriver"},
        std::nullopt, true);
}

}  // namespace harbrix
