// Requests as the pedal receives them: the 8-byte header, the payload of the writing
// commands, and the assembler that rebuilds requests from bytes arriving in pieces.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/Bytes.h"

namespace harbrix::pedalsim {

inline constexpr std::size_t kHeaderSize = 8;

struct Request {
    std::uint8_t command = 0;
    std::uint8_t sizeCode = 0;
    std::uint16_t count = 0;
    std::uint32_t argument = 0;
    Bytes payload;
    Bytes raw;  // header and payload as received, for the log
};

// 0/1/2/3 -> 1/2/4/8 bytes; any other size code counts as one byte.
std::size_t elementSize(std::uint8_t sizeCode);

class RequestAssembler {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RequestAssembler(std::chrono::milliseconds frameTimeout);

    void feed(const Bytes& bytes, Clock::time_point now);
    // The oldest complete request, if one is there.
    std::optional<Request> next();
    // A request whose bytes stopped coming in for the frame time-out is abandoned,
    // as the firmware's receiver does; returns how many bytes were dropped.
    std::size_t expire(Clock::time_point now);
    // When a partial request will be abandoned; none when nothing is pending.
    std::optional<Clock::time_point> expiry() const;
    std::size_t discard();

  private:
    std::chrono::milliseconds frameTimeout_;
    Bytes pending_;
    Clock::time_point lastByte_{};
};

}  // namespace harbrix::pedalsim
