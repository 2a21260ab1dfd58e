// The pedal's 48-byte state block, the payload of a "LOCAL_CONTROLX" reply, field for field in
// wire order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bytes.h"

namespace harbrix {

struct LCXreply {
    std::uint8_t chBF = 0;
    std::uint8_t epn = 0;
    std::uint8_t epON = 0;
    std::uint8_t efON = 0;
    std::uint8_t lb = 0;
    std::uint8_t chOM = 0;     // MIDI channel
    std::uint8_t thru = 0;     // MIDI thru
    std::uint8_t enKbN = 0;    // MIDI keyboard
    std::uint8_t pwms = 0;     // MIDI pitch-wheel sensitivity
    std::uint8_t dfHOscn = 0;  // display home view
    std::uint8_t dfCont = 0;   // display contrast
    std::uint8_t dfCRen = 0;   // display name crawl
    std::uint8_t rsv12 = 0;
    std::uint8_t rsv13 = 0;
    std::uint8_t rsv14 = 0;
    std::uint8_t rsv15 = 0;
    std::uint8_t prBF[16] = {};  // slots edited on the pedal, one bit per slot
    std::uint8_t nmtB[16] = {};  // occupied slots, one bit per slot

    static constexpr std::size_t kSize = 48;

    // Reads exactly kSize bytes; the caller has checked that they are there.
    static LCXreply fromBytes(const std::uint8_t* fortyEightBytes);
    Bytes bytes() const;

    // Bit b of map byte k stands for slot 8k + b (least significant bit first); slots past the
    // map's 128 are never set.
    bool isEdited(unsigned slot) const;
    bool isOccupied(unsigned slot) const;

    bool operator==(const LCXreply&) const = default;
};

static_assert(sizeof(LCXreply) == LCXreply::kSize, "LCXreply must mirror the wire block");

}  // namespace harbrix
