// A three-part version number: the pedal's firmware, the application, the operating system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harbrix {

struct Version {
    // (glibc may define function-like macros of these names; never call anything `major(`.)
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t maintenance = 0;

    // None for 0.0.0, which is what an unreadable version text comes to.
    static std::optional<Version> versionWithMajor(std::uint16_t majorNumber,
                                                   std::uint16_t minorNumber,
                                                   std::uint16_t maintenanceNumber);
    // The first "N", "N.N" or "N.N.N" anywhere in the text ("version 12.3 beta" -> 12.3.0);
    // each number is taken modulo 2^16. None when there is no number or it is 0.0.0.
    static std::optional<Version> versionWithString(std::string_view text);

    // "2.0.1", "2.1" for 2.1.0, "2" for 2.0.0.
    std::string description() const;

    bool operator==(const Version&) const = default;
    std::size_t hash() const;
    bool isEqualToOrBetterThan(const Version& other) const;
    bool isLessThan(const Version& other) const;
};

}  // namespace harbrix
