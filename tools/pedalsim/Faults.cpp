// Fault decisions, kept apart from the protocol so handlers stay honest.
#include "Faults.h"

#include <algorithm>

#include "Commands.h"

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

std::vector<Piece> Faults::pieces(std::uint8_t command, const Bytes& reply) {
    // A bridge hands on what it has each time its timer runs out: at least two pieces.
    const std::size_t piece = plan_.chunkPause.count() > 0
                                  ? std::clamp<std::size_t>((reply.size() + 1) / 2, 1, 64)
                                  : reply.size();
    std::optional<std::size_t> gapAt;
    if (plan_.gap.count() > 0 && !gapTaken_ && reply.size() > 2) {
        gapTaken_ = true;
        gapAt = reply.size() / 2;
    }
    std::vector<Piece> pieces;
    for (std::size_t sent = 0; sent < reply.size();) {
        std::size_t end = std::min(reply.size(), sent + piece);
        if (gapAt && sent < *gapAt && *gapAt < end) end = *gapAt;
        Piece next{Bytes(reply.begin() + static_cast<std::ptrdiff_t>(sent),
                         reply.begin() + static_cast<std::ptrdiff_t>(end)),
                   gapAt && end == *gapAt ? plan_.gap : plan_.chunkPause};
        pieces.push_back(std::move(next));
        sent = end;
    }
    if (!pieces.empty()) pieces.back().pauseAfter = std::chrono::milliseconds(0);
    // Text and list replies end with silence on the host's side, so the stray bytes follow
    // the first reply of a known length.
    const bool text = command == command::kWhoRU || command == command::kGetCmds ||
                      command == command::kGetPresetName || command == command::kGetPreset;
    if (plan_.trailing > 0 && !trailingTaken_ && !text && !pieces.empty()) {
        trailingTaken_ = true;
        pieces.back().pauseAfter = plan_.trailingDelay;
        pieces.push_back(Piece{Bytes(plan_.trailing, 0xA5), std::chrono::milliseconds(0)});
    }
    return pieces;
}

// Never starts with 00 (a success header), 06 (an empty slot) or 0D (a CR LF "WHO_RU"),
// so no parser may mistake it for a reply.
Bytes lineNoise() {
    return {0xFF, 0x00, 0xF8};
}

}  // namespace harbrix::pedalsim
