// Faults a test can ask of the pedal: going quiet after a number of requests, answering
// a command with an error, trailing junk after every reply, and slow replies.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/Bytes.h"

namespace harbrix::pedalsim {

struct FaultPlan {
    std::optional<std::uint64_t> failAfter;       // answer this many requests, then none
    std::map<std::uint8_t, std::uint8_t> errors;  // command -> error code to answer with
    std::size_t stray = 0;                        // junk bytes after every reply
    std::chrono::milliseconds latency{0};         // wait before every reply
};

class Faults {
  public:
    explicit Faults(FaultPlan plan);

    // Counts one request; false once the pedal has stopped answering.
    bool admit();
    // Whether the pedal has stopped answering, without counting a request.
    bool silenced() const;
    std::optional<std::uint8_t> forcedError(std::uint8_t command) const;
    Bytes strayBytes() const;
    std::chrono::milliseconds latency() const { return plan_.latency; }

  private:
    FaultPlan plan_;
    std::uint64_t requests_ = 0;
};

// What the pedal's receiver makes of bytes sent at the wrong speed, and what the host
// reads when the pedal answers at a speed other than its own: framing junk.
Bytes lineNoise();

}  // namespace harbrix::pedalsim
