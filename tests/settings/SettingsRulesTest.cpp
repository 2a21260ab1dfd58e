// The settings screen's value rules without a window: the channel cycle, the contrast
// slider's rounding, the home view names, the reset mask and the progress numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "settings/SettingsRules.h"

namespace harbrix {
namespace {

using namespace SettingsRules;

TEST(SettingsRules, MidiChannelCyclesThroughOmniBackToOne) {
    std::uint32_t channel = 0;
    std::vector<std::string> shown;
    for (int click = 0; click < 17; ++click) {
        channel = nextMidiChannel(channel);
        shown.push_back(midiChannelText(channel));
    }
    EXPECT_EQ(shown.front(), "2");
    EXPECT_EQ(shown[14], "16");
    EXPECT_EQ(shown[15], "Omni");
    EXPECT_EQ(shown.back(), "1");
    EXPECT_EQ(channel, 0u);
    // A word the pedal should never hold still steps into the range, and shows as it is.
    EXPECT_EQ(midiChannelText(200), "201");
    EXPECT_EQ(nextMidiChannel(0xFFFFFFFFu), (0x100000000ull % 17));
}

TEST(SettingsRules, ContrastRoundsHalvesAwayThenDropsTheFraction) {
    const struct {
        double slider;
        std::uint32_t contrast;
    } cases[] = {{94.5, 9}, {95.4, 9}, {99.5, 10},
                 {100, 10}, {9.4, 0},  {9.5, 1},
                 {0, 0},    {-3, 0},   {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases) EXPECT_EQ(contrastForSliderValue(c.slider), c.contrast) << c.slider;
    EXPECT_EQ(contrastShown(10), 100u);
    EXPECT_EQ(contrastShown(0xFFFFFFFFu), 42949672950ull);
}

TEST(SettingsRules, HomeviewNamesAndSteps) {
    EXPECT_EQ(homeviewName(1), "Graphic");
    EXPECT_EQ(homeviewName(4), "Performance");
    EXPECT_EQ(homeviewName(7), "Standard");
    EXPECT_EQ(nextHomeview(4), 0u);
    EXPECT_EQ(nextHomeview(7), 3u);
    EXPECT_EQ(toggled(0), 1u);
    EXPECT_EQ(toggled(0x100), 0u);
    EXPECT_EQ(onOffText(0x100), "On");
}

TEST(SettingsRules, ResetMaskSendsAllAloneAndOnlyPresetResetsAsk) {
    ResetSelection presetsAndMidi;
    presetsAndMidi.presets = presetsAndMidi.midiSettings = true;
    EXPECT_EQ(presetsAndMidi.mask(), 5u);
    ResetSelection everything{true, true, true, true, true};
    EXPECT_EQ(everything.mask(), 16u);
    EXPECT_EQ(ResetSelection{}.mask(), 0u);
    ResetSelection four{true, true, true, true, false};
    EXPECT_EQ(four.mask(), 15u);
    for (std::uint32_t mask : {1u, 5u, 15u, 16u}) EXPECT_TRUE(erasesPresets(mask)) << mask;
    for (std::uint32_t mask : {0u, 2u, 4u, 8u, 14u}) EXPECT_FALSE(erasesPresets(mask)) << mask;
}

TEST(SettingsRules, ProgressShowsEachWholePercentOnceAndNeverGoesBack) {
    ProgressShown progress;
    EXPECT_EQ(progress.report(0), 0u);
    EXPECT_EQ(progress.report(10.2), 10u);
    EXPECT_EQ(progress.report(10.9), std::nullopt);
    EXPECT_EQ(progress.report(11.0), 11u);
    EXPECT_EQ(progress.report(5), std::nullopt);
    EXPECT_EQ(progress.report(std::nan("")), std::nullopt);
    EXPECT_EQ(progress.report(250), 100u);
    EXPECT_EQ(progress.shown(), 100u);
    progress.reset();
    EXPECT_EQ(progress.report(0.5), 0u);
}

}  // namespace
}  // namespace harbrix
