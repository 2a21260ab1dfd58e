// The launch token by which Tolvane knows that Harbrix started it a moment ago: the
// checksum of the current whole second. Harbrix passes the tokens of this second and the
// next; Tolvane accepts either as its own. Plain C++ and libcrypto: Tolvane compiles it too.
#pragma once

#include <cstdint>
#include <string>

namespace harbrix {

// Whole seconds since 2001-01-01 00:00:00 UTC, the fraction dropped.
std::uint64_t referenceDateSeconds();
// 32 lower-case hexadecimal digits; empty only when the digest cannot be computed.
std::string launchToken(std::uint64_t seconds);

}  // namespace harbrix
