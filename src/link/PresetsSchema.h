// The pedal's preset memory geometry, as reported to "PRESET_INFO".
#pragma once

#include <cstdint>

namespace harbrix {

struct PresetsSchema {
    std::uint8_t presets = 0;     // number of preset slots
    std::uint8_t parameters = 0;  // parameter values per preset
    std::uint8_t stride = 0;      // size code of one parameter value, as in a request header

    // presets | parameters << 8 | stride << 16
    std::uint32_t packed() const;
    // Bits above 23 are ignored.
    static PresetsSchema fromPacked(std::uint32_t packed);

    bool operator==(const PresetsSchema&) const = default;
};

}  // namespace harbrix
