// The presets a new pedal ships with. The parameter bytes follow the pedal's layout:
// switch bits at 28, 7-bit values shifted left by one at 32..51 and 56..59.
#include <array>
#include <string_view>

#include "PedalState.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::size_t kSwitchByte = 28;
constexpr std::size_t kLevelBytes = 32;
constexpr std::size_t kExpressionBytes = 56;

enum Switch : std::uint8_t { kLeft = 1, kRight = 2, kDirect = 4, kExp = 8, kFocus = 16 };

struct FactoryPreset {
    std::string_view name;
    std::uint8_t switches;
    // masterVolume, panDry, panM2, panM1, panP5th, panP1, panP2, LPFilterQ, LPFilterEnv,
    // detuneSpread, inputGain, levelDry, levelM2, levelM1, levelP5th, levelP1, levelP2,
    // levelAttack, levelLPFilter, levelDetune
    std::array<std::uint8_t, 20> levels;
    // expReverse, expHeelTransposition, expToeTransposition, expMode
    std::array<std::uint8_t, 4> expression;
};

constexpr std::array<FactoryPreset, 5> kFactory{{
    {"Octave Up",
     kLeft | kRight,
     {100, 64, 64, 64, 64, 64, 64, 40, 60, 20, 64, 100, 0, 0, 0, 110, 0, 0, 0, 0},
     {0, 64, 76, 0}},
    {"Fifth Down",
     kLeft | kRight | kFocus,
     {96, 64, 64, 40, 88, 64, 64, 32, 50, 10, 64, 90, 0, 70, 80, 0, 0, 0, 0, 0},
     {0, 52, 64, 1}},
    {"Octave Down",
     kLeft | kRight | kDirect,
     {100, 64, 64, 64, 64, 64, 64, 48, 30, 0, 70, 80, 0, 118, 0, 0, 0, 0, 0, 0},
     {0, 64, 52, 0}},
    {"Twelve String",
     kLeft | kRight | kExp,
     {104, 64, 64, 64, 64, 30, 98, 60, 80, 24, 64, 100, 0, 0, 0, 96, 40, 20, 0, 0},
     {1, 64, 64, 2}},
    {"Big Detune",
     kLeft | kRight | 128,
     {98, 64, 64, 64, 64, 64, 64, 40, 40, 90, 64, 96, 0, 0, 0, 0, 0, 0, 0, 100},
     {0, 64, 64, 0}},
}};

Bytes build(const FactoryPreset& p) {
    Bytes preset = makePreset(p.name);
    preset[kSwitchByte] = p.switches;
    for (std::size_t i = 0; i < p.levels.size(); ++i) {
        preset[kLevelBytes + i] = static_cast<std::uint8_t>(p.levels[i] << 1);
    }
    for (std::size_t i = 0; i < p.expression.size(); ++i) {
        preset[kExpressionBytes + i] = static_cast<std::uint8_t>(p.expression[i] << 1);
    }
    return preset;
}

}  // namespace

PedalState PedalState::factory() {
    PedalState state;
    for (std::size_t slot = 0; slot < kFactory.size(); ++slot) {
        state.setPreset(slot, build(kFactory[slot]));
    }
    state.takeChanged();
    return state;
}

}  // namespace harbrix::pedalsim
