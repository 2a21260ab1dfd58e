#include "installer/LaunchToken.h"

#include <chrono>

#include "link/Checksum.h"

namespace harbrix {
namespace {

// 2001-01-01 00:00:00 UTC in seconds since 1970.
constexpr std::int64_t kReferenceDate = 978307200;

}  // namespace

std::uint64_t referenceDateSeconds() {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    return now > kReferenceDate ? static_cast<std::uint64_t>(now - kReferenceDate) : 0;
}

std::string launchToken(std::uint64_t seconds) {
    return checksum(seconds);
}

}  // namespace harbrix
