// The pedal's seven global settings, each a 32-bit word in its memory.
#pragma once

#include <cstdint>
#include <optional>

#include "link/LCXreply.h"
#include "platform/Bytes.h"

namespace harbrix {

struct SettingsBlock {
    std::uint32_t midiChannel = 0;
    std::uint32_t midiThru = 0;
    std::uint32_t midiKeyboard = 0;
    std::uint32_t midiPitchWheelSensitivity = 0;
    std::uint32_t displayContrast = 0;
    std::uint32_t displayHomeview = 0;
    std::uint32_t displayNameCrawl = 0;

    bool operator==(const SettingsBlock&) const = default;

    // From the state block's bytes 5..11. The state block stores home view (byte 9) before
    // contrast (byte 10), the opposite of the memory order.
    static SettingsBlock fromLCXreply(const LCXreply& reply);
    // From seven little-endian words as they lie in memory; none when fewer than 28 bytes.
    static std::optional<SettingsBlock> fromWords(const Bytes& twentyEightOrMoreBytes);
};

}  // namespace harbrix
