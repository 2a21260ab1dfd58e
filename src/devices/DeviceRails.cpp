#include "devices/DeviceRails.h"

namespace harbrix::DeviceRails {

QueueRef check() {
    static const QueueRef queue = railsQueue("com.qor.uart-device.rails.check");
    return queue;
}

}  // namespace harbrix::DeviceRails
