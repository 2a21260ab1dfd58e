// Version parsing, printing and ordering.
//
// The text is scanned by hand rather than with std::regex: libstdc++'s matcher recurses per
// character and overflows the stack on long inputs, and version texts come from devices and
// servers. The scanner finds what "\s*([0-9]+)(\.[0-9]+)?(\.[0-9]+)?\s*" would find first.
#include "link/Version.h"

#include <functional>
#include <tuple>

namespace harbrix {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the digit run at `at` modulo 2^16 (exact truncation, never overflowing) and moves past it.
std::uint16_t readNumber(std::string_view text, std::size_t& at) {
    std::uint32_t value = 0;
    while (at < text.size() && isDigit(text[at])) {
        value = (value * 10 + static_cast<std::uint32_t>(text[at] - '0')) & 0xFFFF;
        ++at;
    }
    return static_cast<std::uint16_t>(value);
}

// A "." followed by at least one digit: reads that number; otherwise leaves `at` alone.
std::uint16_t readDottedNumber(std::string_view text, std::size_t& at) {
    if (at + 1 < text.size() && text[at] == '.' && isDigit(text[at + 1])) {
        ++at;
        return readNumber(text, at);
    }
    return 0;
}

}  // namespace

std::optional<Version> Version::versionWithMajor(std::uint16_t majorNumber,
                                                 std::uint16_t minorNumber,
                                                 std::uint16_t maintenanceNumber) {
    if (majorNumber == 0 && minorNumber == 0 && maintenanceNumber == 0) return std::nullopt;
    Version version;
    version.major = majorNumber;
    version.minor = minorNumber;
    version.maintenance = maintenanceNumber;
    return version;
}

std::optional<Version> Version::versionWithString(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && !isDigit(text[at])) ++at;
    if (at == text.size()) return std::nullopt;
    const std::uint16_t first = readNumber(text, at);
    const std::uint16_t second = readDottedNumber(text, at);
    // When the second group is absent `at` has not moved, so the third is absent too.
    const std::uint16_t third = readDottedNumber(text, at);
    return versionWithMajor(first, second, third);
}

std::string Version::description() const {
    std::string text = std::to_string(major);
    if (maintenance != 0)
        text += "." + std::to_string(minor) + "." + std::to_string(maintenance);
    else if (minor != 0)
        text += "." + std::to_string(minor);
    return text;
}

std::size_t Version::hash() const {
    return std::hash<std::string>{}("Version|" + std::to_string(major) + "|" +
                                    std::to_string(minor) + "|" + std::to_string(maintenance));
}

bool Version::isEqualToOrBetterThan(const Version& other) const {
    return std::tie(major, minor, maintenance) >=
           std::tie(other.major, other.minor, other.maintenance);
}

bool Version::isLessThan(const Version& other) const {
    return !isEqualToOrBetterThan(other);
}

}  // namespace harbrix
