// Byte strings to and from text: hexadecimal input, the compact dump used in log lines,
// and little-endian 32-bit reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Bytes.h"

namespace harbrix {

// Pairs of hexadecimal digits, optionally after "0x"; the whole text must have a non-zero,
// even length and every pair must be two digits, else none. "B04F7F" -> B0 4F 7F.
std::optional<Bytes> dataFromHexString(std::string_view text);
// Lower-case hexadecimal with a space after every 4 bytes: "0d000000 00000000".
std::string prettyDescription(const Bytes& bytes);
// The little-endian 32-bit value at `index`; 0 when fewer than 4 bytes remain there.
std::uint32_t unsignedIntAtIndex(const Bytes& bytes, std::size_t index);

}  // namespace harbrix
