// One release of an update manifest and the decoding of the manifest itself: an enciphered
// JSON array of releases, oldest first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Version.h"
#include "platform/Bytes.h"

namespace harbrix {

struct UpdateEntry {
    // Accepted payload sizes in bytes.
    static constexpr std::int64_t kMinimumSize = 1;
    static constexpr std::int64_t kMaximumSize = 50'000'000;

    // Fields as published; a field that is absent or of another JSON type reads as empty
    // (and "size" as 0, also for a number that is not a whole number).
    std::string name;
    std::string hash;
    std::int64_t size = 0;
    std::string version;
    std::string baseline;
    std::vector<std::string> changes;
    // True for an object without keys and for an element that is not an object.
    bool empty = true;

    std::optional<Version> parsedVersion() const { return Version::versionWithString(version); }
    std::optional<Version> parsedBaseline() const { return Version::versionWithString(baseline); }
    bool sizeInRange() const { return size >= kMinimumSize && size <= kMaximumSize; }
    // The payload is cached under its name, so the name must be one plain file name:
    // no folder separators, no "." or "..", no control characters.
    bool hasSafeName() const;
};

using UpdateEntries = std::vector<UpdateEntry>;

namespace Manifest {

// The plain "_.json" text; none unless it is a JSON array.
std::optional<UpdateEntries> parse(std::string_view json);
// The enciphered "_.manifest"; none when it does not decipher or parse.
std::optional<UpdateEntries> decipher(const Bytes& manifest);

}  // namespace Manifest
}  // namespace harbrix
