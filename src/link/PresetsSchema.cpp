// The 24-bit form of PresetsSchema.
#include "link/PresetsSchema.h"

namespace harbrix {

std::uint32_t PresetsSchema::packed() const {
    return static_cast<std::uint32_t>(presets) | static_cast<std::uint32_t>(parameters) << 8 |
           static_cast<std::uint32_t>(stride) << 16;
}

PresetsSchema PresetsSchema::fromPacked(std::uint32_t packed) {
    return PresetsSchema{static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                         static_cast<std::uint8_t>(packed >> 16)};
}

}  // namespace harbrix
