// Hexadecimal texts for the log and the state file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Bytes.h"

namespace harbrix::pedalsim {

// "0D 00 00 00" for the log.
std::string hexDump(const Bytes& bytes);
// "0d000000" for files.
std::string hexText(const Bytes& bytes);
// Two hexadecimal digits per byte, either case; none for anything else.
std::optional<Bytes> bytesFromHex(std::string_view text);

}  // namespace harbrix::pedalsim
