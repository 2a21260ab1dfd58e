// The value rules of the settings screen, apart from any widget: how each click steps a
// setting, how the contrast slider maps to the pedal's contrast step, what the factory-reset
// check boxes send, and how flash progress is shown. Plain C++, so they can be checked (and
// used) without a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace harbrix::SettingsRules {

// The MIDI channel word: 0..15 are channels 1..16, 16 is omni.
inline constexpr std::uint32_t kOmni = 16;
// "Omni", or the channel number counted from 1.
std::string midiChannelText(std::uint32_t channel);
// Channels 1..16, then omni, then channel 1 again.
std::uint32_t nextMidiChannel(std::uint32_t channel);

// A flag word: 1 when it was 0, else 0.
std::uint32_t toggled(std::uint32_t flag);
// "On" for any non-zero word, else "Off".
std::string onOffText(std::uint32_t flag);

// The contrast step for a slider value: the value rounded to the nearest whole number
// (halves away from zero), divided by 10, fraction dropped. Values below 0 (and NaN) give 0.
std::uint32_t contrastForSliderValue(double value);
// What the slider and the contrast field show for a contrast step.
std::uint64_t contrastShown(std::uint32_t contrast);

// The five home views; a word outside them reads as the first, "Standard".
inline constexpr std::uint32_t kHomeviews = 5;
std::string homeviewName(std::uint32_t homeview);
std::uint32_t nextHomeview(std::uint32_t homeview);

// The factory-reset check boxes and the mask they send.
struct ResetSelection {
    bool presets = false;
    bool expression = false;
    bool midiSettings = false;
    bool displaySettings = false;
    bool all = false;

    // 16 alone when "all" is checked, otherwise the sum of the checked boxes' values; 0 when
    // nothing is checked.
    std::uint32_t mask() const;
};
// Whether a reset with this mask erases the pedal's presets (and so asks first).
bool erasesPresets(std::uint32_t mask);

// The whole percentages of a flash as the screen shows them: each report is truncated, and
// only a number larger than every one shown before is shown.
class ProgressShown {
  public:
    // The number to show now, or none when the report does not increase it.
    std::optional<unsigned> report(double percent);
    std::optional<unsigned> shown() const { return shown_; }
    void reset() { shown_.reset(); }

  private:
    std::optional<unsigned> shown_;
};

}  // namespace harbrix::SettingsRules
