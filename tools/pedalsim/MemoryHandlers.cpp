// "PEEKC" and "POKEC": the pedal's RAM cells at the base its firmware major puts them at.
// Nine 32-bit words, little-endian: the selected preset, the seven global settings in
// memory order, and the factory-reset word. Reads and writes of 1, 2, 4 or 8-byte elements
// may start anywhere in the map; any byte outside it is refused.
#include <algorithm>
#include <array>
#include <charconv>
#include <map>

#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::size_t kWords = 9;
constexpr std::size_t kMapSize = kWords * 4;
constexpr std::size_t kResetWord = 8;

// What the reset word's bits restore.
constexpr std::uint32_t kPresets = 1, kMidi = 4, kDisplay = 8, kEverything = 16;

// Where each firmware release keeps the cells; releases past the table keep the newest layout.
std::uint32_t baseFor(const std::string& firmware) {
    static const std::map<unsigned, std::uint32_t> bases = {
        {39, 0x11900A70}, {40, 0x119007B0}, {41, 0x1190080C}, {42, 0x1190078C}};
    unsigned major = 0;
    std::from_chars(firmware.data(), firmware.data() + firmware.size(), major);
    const auto it = bases.find(major);
    return it != bases.end() ? it->second : bases.rbegin()->second;
}

std::array<std::uint32_t, kWords> words(const PedalState& state) {
    const Settings& s = state.settings();
    return {state.selectedPreset(),
            s.midiChannel,
            s.midiThru,
            s.midiKeyboard,
            s.midiPitchWheelSensitivity,
            s.displayContrast,
            s.displayHomeview,
            s.displayNameCrawl,
            0};
}

Bytes image(const std::array<std::uint32_t, kWords>& cells) {
    Bytes bytes;
    for (const std::uint32_t word : cells)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    return bytes;
}

std::uint32_t wordAt(const Bytes& image, std::size_t index) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i)
        word |= static_cast<std::uint32_t>(image[index * 4 + i]) << (8 * i);
    return word;
}

// The byte range a request covers inside the map; none when any of it lies outside.
std::optional<std::size_t> start(const Request& request, std::uint32_t base) {
    const std::uint64_t length = std::uint64_t{request.count} * elementSize(request.sizeCode);
    if (length == 0 || request.argument < base) return std::nullopt;
    const std::uint64_t offset = request.argument - base;
    if (offset + length > kMapSize) return std::nullopt;
    return static_cast<std::size_t>(offset);
}

void factoryReset(PedalState& state, std::uint32_t mask, Settings& settings) {
    const Settings defaults;
    if (mask & (kPresets | kEverything)) {
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            state.erasePreset(slot);
            state.setEdited(slot, false);
        }
    }
    if (mask & (kMidi | kEverything)) {
        settings.midiChannel = defaults.midiChannel;
        settings.midiThru = defaults.midiThru;
        settings.midiKeyboard = defaults.midiKeyboard;
        settings.midiPitchWheelSensitivity = defaults.midiPitchWheelSensitivity;
    }
    if (mask & (kDisplay | kEverything)) {
        settings.displayContrast = defaults.displayContrast;
        settings.displayHomeview = defaults.displayHomeview;
        settings.displayNameCrawl = defaults.displayNameCrawl;
    }
}

}  // namespace

void addMemoryHandlers(HandlerTable& table, const Identity& identity) {
    const std::uint32_t base = baseFor(identity.firmware);

    table.add(command::kPeekC, [base](const Request& request, PedalState& state) {
        const auto offset = start(request, base);
        if (!offset) return answer(error::kBadRequest);
        const Bytes cells = image(words(state));
        const std::size_t length = request.count * elementSize(request.sizeCode);
        return answer(0, Bytes(cells.begin() + *offset, cells.begin() + *offset + length));
    });

    // All of a write is checked before any of it takes effect.
    const bool resetRestarts = identity.resetRestarts;
    table.add(command::kPokeC, [base, resetRestarts](const Request& request, PedalState& state) {
        const auto offset = start(request, base);
        if (!offset) return answer(error::kBadRequest);
        Bytes cells = image(words(state));
        std::copy(request.payload.begin(), request.payload.end(), cells.begin() + *offset);
        const std::uint32_t selected = wordAt(cells, 0);
        if (selected >= kSlotCount) return answer(error::kBadRequest);
        Settings settings{wordAt(cells, 1), wordAt(cells, 2), wordAt(cells, 3), wordAt(cells, 4),
                          wordAt(cells, 5), wordAt(cells, 6), wordAt(cells, 7)};
        // The reset word reads 0 again once the pedal has done what it asked.
        const std::uint32_t reset = wordAt(cells, kResetWord);
        factoryReset(state, reset, settings);
        state.setSelectedPreset(static_cast<std::uint8_t>(selected));
        state.setSettings(settings);
        Reply reply = answer(0);
        if (reset != 0 && resetRestarts) reply.speedAfter = kBootSpeed;
        return reply;
    });
}

}  // namespace harbrix::pedalsim
