// Pedal state bookkeeping; every mutation marks the state changed for the state file.
#include "PedalState.h"

#include <algorithm>
#include <utility>

namespace harbrix::pedalsim {
namespace {

const std::optional<Bytes>& noPreset() {
    static const std::optional<Bytes> none;
    return none;
}

}  // namespace

const std::optional<Bytes>& PedalState::preset(std::size_t index) const {
    return index < kSlotCount ? presets_[index] : noPreset();
}

bool PedalState::occupied(std::size_t index) const {
    return index < kSlotCount && presets_[index].has_value();
}

bool PedalState::setPreset(std::size_t index, Bytes bytes) {
    if (index >= kSlotCount || bytes.size() != kPresetSize) return false;
    if (presets_[index] != bytes) {
        presets_[index] = std::move(bytes);
        changed_ = true;
    }
    return true;
}

bool PedalState::erasePreset(std::size_t index) {
    if (index >= kSlotCount) return false;
    if (presets_[index]) {
        presets_[index].reset();
        changed_ = true;
    }
    return true;
}

bool PedalState::edited(std::size_t index) const {
    return index < kSlotCount && edited_[index];
}

void PedalState::setEdited(std::size_t index, bool edited) {
    if (index >= kSlotCount || edited_[index] == edited) return;
    edited_[index] = edited;
    changed_ = true;
}

void PedalState::setSettings(const Settings& settings) {
    if (settings_ == settings) return;
    settings_ = settings;
    changed_ = true;
}

void PedalState::setSpeed(std::uint32_t speed) {
    if (speed_ == speed) return;
    speed_ = speed;
    changed_ = true;
}

void PedalState::setSelectedPreset(std::uint8_t index) {
    if (selectedPreset_ == index) return;
    selectedPreset_ = index;
    changed_ = true;
}

void PedalState::setEffectEnabled(bool enabled) {
    if (effectEnabled_ == enabled) return;
    effectEnabled_ = enabled;
    changed_ = true;
}

bool PedalState::takeChanged() {
    return std::exchange(changed_, false);
}

Bytes makePreset(std::string_view name) {
    Bytes preset(kPresetSize, 0);
    std::fill(preset.begin(), preset.begin() + kNameSize, ' ');
    std::copy_n(name.begin(), std::min(name.size(), kNameSize), preset.begin());
    return preset;
}

}  // namespace harbrix::pedalsim
