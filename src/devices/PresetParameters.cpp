// The parameter table and its value rules.
#include "devices/PresetParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "devices/Preset.h"

namespace harbrix::parameters {

const std::vector<Parameter>& table() {
    static const std::vector<Parameter> parameters = {
        {"masterVolume", Kind::level, "Master Volume"},
        {"inputGain", Kind::level, "Input Gain"},
        {"levelDry", Kind::level, "Dry Level"},
        {"levelM2", Kind::level, "-2 Oct Level"},
        {"levelM1", Kind::level, "-1 Oct Level"},
        {"levelP5th", Kind::level, "+5th Level"},
        {"levelP1", Kind::level, "+1 Oct Level"},
        {"levelP2", Kind::level, "+2 Oct Level"},
        {"levelAttack", Kind::level, "Attack Level"},
        {"levelLPFilter", Kind::level, "LP Filter Level"},
        {"levelDetune", Kind::level, "Detune Level"},
        {"panDry", Kind::level, "Dry Pan"},
        {"panM2", Kind::level, "-2 Oct Pan"},
        {"panM1", Kind::level, "-1 Oct Pan"},
        {"panP5th", Kind::level, "+5th Pan"},
        {"panP1", Kind::level, "+1 Oct Pan"},
        {"panP2", Kind::level, "+2 Oct Pan"},
        {"LPFilterQ", Kind::level, "LP Filter Q"},
        {"LPFilterEnv", Kind::level, "LP Filter Envelope"},
        {"detuneSpread", Kind::level, "Detune Spread"},
        {"expReverse", Kind::level, "Expression Reverse"},
        {"expHeelTransposition", Kind::level, "Heel Transposition"},
        {"expToeTransposition", Kind::level, "Toe Transposition"},
        {"expMode", Kind::level, "Expression Mode"},
        {"left", Kind::toggle, "Left"},
        {"right", Kind::toggle, "Right"},
        {"direct", Kind::toggle, "Direct"},
        {"focus", Kind::toggle, "Focus"},
        {"exp", Kind::toggle, "Expression"},
        {"dryAttack", Kind::toggle, "Attack"},
        {"dryLPFilter", Kind::toggle, "LP Filter"},
        {"dryDetune", Kind::toggle, "Detune"},
    };
    return parameters;
}

const Parameter* find(std::string_view key) {
    const auto& all = table();
    const auto it =
        std::find_if(all.begin(), all.end(), [key](const Parameter& p) { return p.key == key; });
    return it == all.end() ? nullptr : &*it;
}

int valueForPercentage(double percentage) {
    if (!(percentage > 0)) return 0;  // also NaN
    return static_cast<int>(std::min(std::lround(percentage * kMaxLevel / 100.0), long{kMaxLevel}));
}

double percentageForValue(int value) {
    return static_cast<double>(value) / kMaxLevel * 100.0;
}

std::string centredText(int value) {
    const int offset = value - kCentre;
    if (offset > 0) return "+" + std::to_string(offset);
    if (offset == 0) return "Ctr";
    return std::to_string(offset);
}

std::string valueText(const Parameter& parameter, int value) {
    if (parameter.kind == Kind::toggle) return value != 0 ? "on" : "off";
    return std::to_string(value);
}

std::optional<int> parseValue(const Parameter& parameter, std::string_view text) {
    if (parameter.kind == Kind::toggle) {
        if (text == "on" || text == "1") return 1;
        if (text == "off" || text == "0") return 0;
        return std::nullopt;
    }
    if (text.empty() || text.size() > 3) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxLevel) return std::nullopt;
    return value;
}

std::string userPresetName(std::size_t slot) {
    char text[32];
    std::snprintf(text, sizeof text, "User Preset %02u", static_cast<unsigned>(slot + 1));
    return text;
}

bool applyEdit(Preset& preset, std::string_view key, int value, std::size_t slot) {
    if (find(key) == nullptr || !preset.setValue(key, value)) return false;
    if (preset.name().empty()) preset.setName(userPresetName(slot));
    return true;
}

}  // namespace harbrix::parameters
