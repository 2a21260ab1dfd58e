// Parsing is written by hand rather than with strtoull: strtoull accepts signs, skips
// white space before "0x" and saturates on overflow, all of which would let a malformed
// address or setting through as a plausible number.
#include "link/NumberText.h"

#include <limits>

namespace harbrix {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool hasHexPrefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// Hexadecimal digits up to the first other character.
std::optional<std::uint64_t> leadingHex(std::string_view digits) {
    std::uint64_t value = 0;
    std::size_t count = 0;
    for (char c : digits) {
        const auto digit = hexDigit(c);
        if (!digit) break;
        if (value > (kMax >> 4)) return std::nullopt;
        value = (value << 4) | *digit;
        ++count;
    }
    if (count == 0) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> decimal(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    if (begin < end && text[begin] == '+') ++begin;
    if (begin == end) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string padded(std::string digits, std::size_t width) {
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string hexDigits(std::uint64_t value, bool uppercase) {
    const char* alphabet = uppercase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), alphabet[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

}  // namespace

std::optional<std::uint64_t> numberWithString(std::string_view text) {
    if (hasHexPrefix(text)) return leadingHex(text.substr(2));
    return decimal(text);
}

std::optional<std::uint64_t> numberWithHexString(std::string_view text) {
    return leadingHex(hasHexPrefix(text) ? text.substr(2) : text);
}

std::string hexStringValue(std::uint64_t value, std::size_t width) {
    return padded(hexDigits(value, false), width);
}

std::string prefixedHexStringValue(std::uint64_t value, std::size_t width) {
    return "0x" + hexStringValue(value, width);
}

std::string uppercaseHexStringValue(std::uint64_t value, std::size_t width) {
    return padded(hexDigits(value, true), width);
}

std::string prefixedUppercaseHexStringValue(std::uint64_t value, std::size_t width) {
    return "0x" + uppercaseHexStringValue(value, width);
}

}  // namespace harbrix
