// Copying the state block in and out, and reading its slot maps.
#include "link/LCXreply.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace harbrix {
namespace {

// The byte-for-byte copies below rely on the struct holding nothing but the wire bytes.
static_assert(std::is_trivially_copyable_v<LCXreply> && std::is_standard_layout_v<LCXreply>);
static_assert(offsetof(LCXreply, chOM) == 5 && offsetof(LCXreply, dfHOscn) == 9 &&
              offsetof(LCXreply, dfCont) == 10 && offsetof(LCXreply, dfCRen) == 11 &&
              offsetof(LCXreply, rsv15) == 15 && offsetof(LCXreply, prBF) == 16 &&
              offsetof(LCXreply, nmtB) == 32);

bool bitOf(const std::uint8_t (&map)[16], unsigned slot) {
    if (slot >= 8 * sizeof map) return false;
    return (map[slot / 8] >> (slot % 8)) & 1U;
}

}  // namespace

LCXreply LCXreply::fromBytes(const std::uint8_t* fortyEightBytes) {
    LCXreply reply;
    std::memcpy(&reply, fortyEightBytes, kSize);
    return reply;
}

Bytes LCXreply::bytes() const {
    Bytes out(kSize);
    std::memcpy(out.data(), this, kSize);
    return out;
}

bool LCXreply::isEdited(unsigned slot) const {
    return bitOf(prBF, slot);
}

bool LCXreply::isOccupied(unsigned slot) const {
    return bitOf(nmtB, slot);
}

}  // namespace harbrix
