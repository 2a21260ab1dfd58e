// "LOCAL_CONTROLX": the 48-byte state block with the settings and the slot maps.
#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::size_t kBlockSize = 48;
constexpr std::size_t kEditedMap = 16;
constexpr std::size_t kOccupiedMap = 32;

std::uint8_t low(std::uint32_t word) {
    return static_cast<std::uint8_t>(word & 0xFF);
}

Bytes stateBlock(const PedalState& state) {
    Bytes block(kBlockSize, 0);
    const Settings& s = state.settings();
    block[1] = state.selectedPreset();
    block[3] = state.effectEnabled() ? 1 : 0;
    block[5] = low(s.midiChannel);
    block[6] = low(s.midiThru);
    block[7] = low(s.midiKeyboard);
    block[8] = low(s.midiPitchWheelSensitivity);
    // Home view before contrast: the block's order, not the memory's.
    block[9] = low(s.displayHomeview);
    block[10] = low(s.displayContrast);
    block[11] = low(s.displayNameCrawl);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const auto bit = static_cast<std::uint8_t>(1u << (slot % 8));
        if (state.edited(slot)) block[kEditedMap + slot / 8] |= bit;
        if (state.occupied(slot)) block[kOccupiedMap + slot / 8] |= bit;
    }
    return block;
}

}  // namespace

void addStateBlockHandlers(HandlerTable& table) {
    // Both forms (hardware control 0,0,0 and state query 0,3,16) answer the block.
    table.add(command::kLocalControlX,
              [](const Request&, PedalState& state) { return answer(0, stateBlock(state)); });
}

}  // namespace harbrix::pedalsim
