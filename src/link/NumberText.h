// Numbers read from and written as text: decimal and "0x" hexadecimal parsing, and the
// hexadecimal forms used in log lines, memory addresses and firmware records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harbrix {

// "0x"/"0X" followed by hexadecimal digits (reading stops at the first other character), or a
// plain unsigned decimal integer with an optional "+" and surrounding white space. Anything
// else, no digit at all, or a value beyond 64 bits gives none.
std::optional<std::uint64_t> numberWithString(std::string_view text);

// Hexadecimal digits with or without a leading "0x"; reading stops at the first non-digit.
// No digit, or a value beyond 64 bits, gives none.
std::optional<std::uint64_t> numberWithHexString(std::string_view text);

// Lower/upper-case hexadecimal digits, left-padded with "0" to at least `width` digits
// (never cropped); the prefixed forms put "0x" in front of the padded digits.
std::string hexStringValue(std::uint64_t value, std::size_t width = 0);
std::string prefixedHexStringValue(std::uint64_t value, std::size_t width = 0);
std::string uppercaseHexStringValue(std::uint64_t value, std::size_t width = 0);
std::string prefixedUppercaseHexStringValue(std::uint64_t value, std::size_t width = 0);

}  // namespace harbrix
