// Fault decisions, kept apart from the protocol so handlers stay honest.
#include "Faults.h"

namespace harbrix::pedalsim {

Faults::Faults(FaultPlan plan) : plan_(std::move(plan)) {}

bool Faults::admit() {
    ++requests_;
    return !plan_.failAfter || requests_ <= *plan_.failAfter;
}

bool Faults::silenced() const {
    return plan_.failAfter && requests_ >= *plan_.failAfter;
}

std::optional<std::uint8_t> Faults::forcedError(std::uint8_t command) const {
    const auto it = plan_.errors.find(command);
    if (it == plan_.errors.end()) return std::nullopt;
    return it->second;
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
