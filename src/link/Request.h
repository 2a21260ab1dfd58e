// Building request frames for the pedal: an 8-byte header, then the payload of writing commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/Bytes.h"

namespace harbrix {

// Bytes per payload element for a header size code: 0 -> 1, 1 -> 2, 2 -> 4, 3 -> 8; the pedal
// treats every other code as 0, so do we.
std::size_t elementSize(std::uint8_t sizeCode);

// +--------+-------+-----------+------------------------------------------------+
// | offset | width | field     | value                                          |
// +--------+-------+-----------+------------------------------------------------+
// | 0      | 1     | command   | command code                                   |
// | 1      | 1     | size code | payload element size (see elementSize)         |
// | 2      | 2     | count     | element count, little-endian, at most 0xFFFF   |
// | 4      | 4     | argument  | address, offset, index or speed, little-endian |
// | 8      | n     | payload   | count x element size bytes, writes only        |
// +--------+-------+-----------+------------------------------------------------+
// None when the count does not fit 16 bits, or when a payload is given whose length is not
// count x element size: a malformed frame would desynchronise the pedal's reader.
std::optional<Bytes> buildRequest(std::uint8_t command, std::uint8_t sizeCode, std::uint32_t count,
                                  std::uint32_t argument);
std::optional<Bytes> buildRequest(std::uint8_t command, std::uint8_t sizeCode, std::uint32_t count,
                                  std::uint32_t argument, const Bytes& payload);

// The argument field of a built request; 0 when the request is shorter than its header.
std::uint32_t requestArgument(const Bytes& request);

}  // namespace harbrix
