// The settings screen's value rules.
#include "settings/SettingsRules.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "link/QORUARTDevice.h"

namespace harbrix::SettingsRules {
namespace {

const std::array<const char*, kHomeviews> kHomeviewNames = {"Standard", "Graphic", "Data 1",
                                                            "Data 2", "Performance"};

}  // namespace

std::string midiChannelText(std::uint32_t channel) {
    return channel == kOmni ? "Omni" : std::to_string(std::uint64_t{channel} + 1);
}

std::uint32_t nextMidiChannel(std::uint32_t channel) {
    return static_cast<std::uint32_t>((std::uint64_t{channel} + 1) % (kOmni + 1));
}

std::uint32_t toggled(std::uint32_t flag) {
    return flag == 0 ? 1 : 0;
}

std::string onOffText(std::uint32_t flag) {
    return flag != 0 ? "On" : "Off";
}

std::uint32_t contrastForSliderValue(double value) {
    // The slider never goes past 100; anything far outside is a caller's mistake, not a step.
    if (!(value > 0)) return 0;
    if (value > 4e9) value = 4e9;
    return static_cast<std::uint32_t>(std::round(value)) / 10;
}

std::uint64_t contrastShown(std::uint32_t contrast) {
    return std::uint64_t{contrast} * 10;
}

std::string homeviewName(std::uint32_t homeview) {
    return kHomeviewNames[homeview < kHomeviews ? homeview : 0];
}

std::uint32_t nextHomeview(std::uint32_t homeview) {
    return static_cast<std::uint32_t>((std::uint64_t{homeview} + 1) % kHomeviews);
}

std::uint32_t ResetSelection::mask() const {
    if (all) return PedalMemory::kRestoreEverything;
    std::uint32_t mask = 0;
    if (presets) mask += PedalMemory::kRestorePresets;
    if (expression) mask += PedalMemory::kRestoreExpression;
    if (midiSettings) mask += PedalMemory::kRestoreMIDI;
    if (displaySettings) mask += PedalMemory::kRestoreDisplay;
    return mask;
}

bool erasesPresets(std::uint32_t mask) {
    return (mask & (PedalMemory::kRestorePresets | PedalMemory::kRestoreEverything)) != 0;
}

std::optional<unsigned> ProgressShown::report(double percent) {
    if (!(percent >= 0)) return std::nullopt;
    const auto whole = static_cast<unsigned>(std::min(percent, 100.0));
    if (shown_ && whole <= *shown_) return std::nullopt;
    shown_ = whole;
    return whole;
}

}  // namespace harbrix::SettingsRules
