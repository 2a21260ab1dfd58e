// Byte strings as they travel on the serial line and in files.
#pragma once

#include <cstdint>
#include <vector>

namespace harbrix {

using Bytes = std::vector<std::uint8_t>;

}  // namespace harbrix
