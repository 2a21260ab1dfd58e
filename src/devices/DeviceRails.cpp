#include "devices/DeviceRails.h"

namespace harbrix::DeviceRails {

QueueRef check() {
    // Never destroyed: pedal queues may still check in while the program exits.
    static const auto* queue = new QueueRef(railsQueue("com.qor.uart-device.rails.check"));
    return *queue;
}

}  // namespace harbrix::DeviceRails
