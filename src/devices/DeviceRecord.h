// What the devices library keeps with each pedal: its preset store and its registry
// membership.
#pragma once

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"

namespace harbrix {

struct DeviceRecord : DeviceAttachment {
    explicit DeviceRecord(QORUARTDevice& device) : presets(device) {}

    PresetStore presets;
    // Main rail only: whether the delegate has heard of the connection, and whether the
    // device went before it did (then it hears of neither).
    bool announced = false;
    bool withdrawn = false;
};

inline DeviceRecord& deviceRecord(const QORUARTDevice& device) {
    return device.attachment<DeviceRecord>();
}

}  // namespace harbrix
