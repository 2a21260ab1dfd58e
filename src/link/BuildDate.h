// Firmware build dates as the pedal prints them ("Mar 4 2021 10:11:12"), in UTC, with English
// month abbreviations whatever the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harbrix {

// "MMM d yyyy HH:mm:ss" to seconds since 1970. Runs of spaces between the parts are accepted
// (compilers pad single-digit days: "Mar  4 2021"); anything else around or between them is not.
std::optional<std::int64_t> parseBuildDate(std::string_view text);

// Seconds since 1970 as "MMM d yyyy" ("Mar 4 2021").
std::string formatBuildDay(std::int64_t secondsSince1970);

}  // namespace harbrix
