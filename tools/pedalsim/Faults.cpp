// Fault decisions, kept apart from the protocol so handlers stay honest.
#include "Faults.h"

namespace harbrix::pedalsim {

Faults::Faults(FaultPlan plan) : plan_(std::move(plan)) {}

bool Faults::admit(std::uint8_t command) {
    ++requests_;
    const std::uint64_t seen = ++seen_[command];
    const auto silent = plan_.silentFrom.find(command);
    if (silent != plan_.silentFrom.end() && seen >= silent->second) stopped_ = true;
    return !stopped_ && (!plan_.failAfter || requests_ <= *plan_.failAfter);
}

bool Faults::silenced() const {
    return stopped_ || (plan_.failAfter && requests_ >= *plan_.failAfter);
}

Bytes Faults::damage(std::uint8_t command, Bytes reply) const {
    const auto corrupt = plan_.corrupt.find(command);
    const auto seen = seen_.find(command);
    // Only a payload byte: a damaged header would be refused before any comparison.
    if (corrupt != plan_.corrupt.end() && seen != seen_.end() && seen->second == corrupt->second &&
        reply.size() > 2) {
        reply.back() = static_cast<std::uint8_t>(~reply.back());
    }
    return reply;
}

std::optional<std::uint8_t> Faults::forcedError(std::uint8_t command,
                                                std::uint32_t argument) const {
    // The request just admitted is the latest of its command.
    if (const auto seen = seen_.find(command); seen != seen_.end()) {
        if (const auto nth = plan_.nthErrors.find({command, seen->second});
            nth != plan_.nthErrors.end()) {
            return nth->second;
        }
    }
    if (const auto one = plan_.argumentErrors.find({command, argument});
        one != plan_.argumentErrors.end()) {
        return one->second;
    }
    const auto it = plan_.errors.find(command);
    if (it == plan_.errors.end()) return std::nullopt;
    return it->second;
}

void Faults::heal() {
    plan_ = FaultPlan{};
    stopped_ = false;
}

Bytes Faults::strayBytes() const {
    // Alternating bits, easy to spot in a hex dump.
    return Bytes(plan_.stray, 0xA5);
}

// Never starts with 00 (a success header), 06 (an empty slot) or 0D (a CR LF "WHO_RU"),
// so no parser may mistake it for a reply.
Bytes lineNoise() {
    return {0xFF, 0x00, 0xF8};
}

}  // namespace harbrix::pedalsim
