// Faults a test can ask of the pedal: going quiet after a number of requests or from a
// given request of one command on, answering a command (or one slot, or one request of
// it) with an error, one damaged byte in
// a reply, trailing junk after every reply, and slow replies; and the timing of a real USB
// bridge: replies in pieces, one pause in the middle of a reply, stray bytes after one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Bytes.h"

namespace harbrix::pedalsim {

struct FaultPlan {
    std::optional<std::uint64_t> failAfter;       // answer this many requests, then none
    std::map<std::uint8_t, std::uint8_t> errors;  // command -> error code to answer with
    // (command, argument) -> error code, for one slot or address only
    std::map<std::pair<std::uint8_t, std::uint32_t>, std::uint8_t> argumentErrors;
    // (command, n) -> error code, for the nth request of that command only (1 = the first)
    std::map<std::pair<std::uint8_t, std::uint64_t>, std::uint8_t> nthErrors;
    std::size_t stray = 0;                 // junk bytes after every reply
    std::chrono::milliseconds latency{0};  // wait before every reply
    // command -> which of its replies (1 = the first) has its last payload byte inverted
    std::map<std::uint8_t, std::uint64_t> corrupt;
    // command -> from which of its requests (1 = the first) on nothing is answered any more
    std::map<std::uint8_t, std::uint64_t> silentFrom;
    std::chrono::milliseconds chunkPause{0};  // between the pieces of every reply
    std::chrono::milliseconds gap{0};         // once, in the middle of the first longer reply
    std::size_t trailing = 0;                 // stray bytes once, after the first data reply
    std::chrono::milliseconds trailingDelay{0};
};

// One reply as it goes out: its pieces, each with the pause before the next.
struct Piece {
    Bytes bytes;
    std::chrono::milliseconds pauseAfter{0};
};

class Faults {
  public:
    explicit Faults(FaultPlan plan);

    // Counts one request; false once the pedal has stopped answering.
    bool admit(std::uint8_t command);
    // The reply to the request just admitted, damaged when the plan says so.
    Bytes damage(std::uint8_t command, Bytes reply) const;
    // Whether the pedal has stopped answering, without counting a request.
    bool silenced() const;
    std::optional<std::uint8_t> forcedError(std::uint8_t command, std::uint32_t argument) const;
    Bytes strayBytes() const;
    // The reply to `command` cut into pieces by the chunk and gap faults; the trailing bytes
    // come as a last piece after their delay.
    std::vector<Piece> pieces(std::uint8_t command, const Bytes& reply);
    std::chrono::milliseconds latency() const { return plan_.latency; }
    // Drops every fault: the pedal answers as a healthy one from now on.
    void heal();

  private:
    FaultPlan plan_;
    std::uint64_t requests_ = 0;
    std::map<std::uint8_t, std::uint64_t> seen_;  // requests per command
    bool stopped_ = false;
    bool gapTaken_ = false;
    bool trailingTaken_ = false;
};

// What the pedal's receiver makes of bytes sent at the wrong speed, and what the host
// reads when the pedal answers at a speed other than its own: framing junk.
Bytes lineNoise();

}  // namespace harbrix::pedalsim
