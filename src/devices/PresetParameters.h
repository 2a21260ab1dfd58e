// The MIV III's preset parameters as people see them: each key of the preset with its kind
// (a 0..127 level or an on/off switch) and its label, and the rules that turn a control's
// position into a stored value and a value into the texts shown for it. The editor window
// and harbrixctl both edit presets through here, so a value means the same in both.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harbrix {

class Preset;

namespace parameters {

enum class Kind { level, toggle };

struct Parameter {
    std::string_view key;
    Kind kind;
    std::string_view label;  // "Master Volume"
};

inline constexpr int kMaxLevel = 127;
// The centre of a signed (pan-like) level.
inline constexpr int kCentre = 64;

// Every parameter key of the preset, in the order harbrixctl lists them.
const std::vector<Parameter>& table();
// None for a key outside the table.
const Parameter* find(std::string_view key);

// A control position (0..100 %) as a 7-bit value: rounded to the nearest whole value with
// halves away from zero, kept within 0..127.
int valueForPercentage(double percentage);
// Where a stored value puts a control: value / 127 of the way.
double percentageForValue(int value);
// A signed level's text: "+6" above the centre, "Ctr" at it, "-4" below it.
std::string centredText(int value);
// "64" for a level, "on" or "off" for a switch.
std::string valueText(const Parameter& parameter, int value);
// A value as harbrixctl takes it: 0..127 for a level, on/off (or 1/0) for a switch.
std::optional<int> parseValue(const Parameter& parameter, std::string_view text);

// The name an unnamed preset gets on its first edit: "User Preset 07" for slot 6.
std::string userPresetName(std::size_t slot);
// One edit as the editor makes it: the value stored under the key (one undo step) and, when
// the preset has no name yet, the slot's user-preset name. False, with nothing changed, for a
// key outside the table.
bool applyEdit(Preset& preset, std::string_view key, int value, std::size_t slot);

}  // namespace parameters
}  // namespace harbrix
