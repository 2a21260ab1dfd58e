// The device registry and its announcements to the delegate.
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"

namespace harbrix {

void QORUARTDevice::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    if (!device) return;
    rail(Rails::main(), [device, index] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate()) delegate->deviceHasUpdatedPresetAtIndex(device, index);
    });
}

void QORUARTDevice::deviceInternalStateChanged(const DeviceRef& device, const std::string& state) {
    if (!device) return;
    rail(Rails::main(), [device, state] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate()) delegate->deviceInternalStateChanged(device, state);
    });
}

}  // namespace harbrix
