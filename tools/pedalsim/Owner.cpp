#include "Owner.h"

#include <unistd.h>

#include <fstream>

namespace harbrix::pedalsim {
namespace {

// The master volume: a 7-bit level shifted left by one, as the factory presets store it.
constexpr std::size_t kMasterVolume = 32;

}  // namespace

std::vector<std::size_t> Owner::due(std::uint8_t command) {
    std::vector<std::size_t> slots;
    const auto edit = plan_.edits.find({command, ++seen_[command]});
    if (edit != plan_.edits.end()) slots.push_back(edit->second);
    if (plan_.file.empty()) return slots;
    std::ifstream in(plan_.file);
    if (!in) return slots;
    fileRead_ = true;
    for (std::size_t number = 0; in >> number;)
        if (number >= 1 && number <= kSlotCount) slots.push_back(number - 1);
    return slots;
}

void Owner::settle() {
    if (fileRead_) ::unlink(plan_.file.c_str());
    fileRead_ = false;
}

void saveOnPedal(PedalState& state, std::size_t slot) {
    if (slot >= kSlotCount) return;
    Bytes preset = state.preset(slot).value_or(makePreset("Saved on pedal"));
    if (preset.size() > kMasterVolume) {
        const unsigned level = (preset[kMasterVolume] >> 1) + 1;
        preset[kMasterVolume] = static_cast<std::uint8_t>((level % 128) << 1);
    }
    state.setPreset(slot, std::move(preset));
    state.setEdited(slot, false);
}

}  // namespace harbrix::pedalsim
