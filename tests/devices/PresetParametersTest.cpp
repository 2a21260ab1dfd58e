// The parameter table and value rules shared by the editor and harbrixctl.
#include <gtest/gtest.h>

#include <set>

#include "devices/Preset.h"
#include "devices/PresetParameters.h"

namespace harbrix {
namespace {

using namespace parameters;

TEST(PresetParameters, TableCoversExactlyThePresetKeysWithDistinctLabels) {
    std::set<std::string> tableKeys, labels;
    for (const Parameter& p : table()) {
        tableKeys.emplace(p.key);
        labels.emplace(p.label);
    }
    const auto& mapKeys = Preset::mapKeys();
    EXPECT_EQ(tableKeys, std::set<std::string>(mapKeys.begin(), mapKeys.end()));
    EXPECT_EQ(labels.size(), table().size()) << "a label names one control";
    // The kinds agree with the preset's storage: a switch reads back 0 or 1, a level its value.
    for (const Parameter& p : table()) {
        auto preset = Preset::presetWithSerialized(Bytes(104, 0));
        preset->setValue(p.key, 100);
        EXPECT_EQ(*preset->value(p.key), p.kind == Kind::toggle ? 1 : 100) << p.key;
    }
}

TEST(PresetParameters, PositionsBecomeSevenBitValuesRoundedHalfAwayFromZero) {
    const struct {
        double percentage;
        int value;
    } cases[] = {{50, 64}, {100, 127}, {0.39, 0},   {0.4, 1},   {0, 0},
                 {-3, 0},  {101, 127}, {99.6, 126}, {99.7, 127}};
    for (const auto& c : cases)
        EXPECT_EQ(valueForPercentage(c.percentage), c.value) << c.percentage;
    // Every value survives the trip to a position and back.
    for (int value = 0; value <= kMaxLevel; ++value)
        EXPECT_EQ(valueForPercentage(percentageForValue(value)), value);
    EXPECT_NEAR(percentageForValue(64), 50.3937, 1e-4);
}

TEST(PresetParameters, TextsOfValues) {
    EXPECT_EQ(centredText(64), "Ctr");
    EXPECT_EQ(centredText(70), "+6");
    EXPECT_EQ(centredText(60), "-4");
    EXPECT_EQ(centredText(0), "-64");
    EXPECT_EQ(valueText(*find("masterVolume"), 64), "64");
    EXPECT_EQ(valueText(*find("dryAttack"), 1), "on");
    EXPECT_EQ(valueText(*find("dryAttack"), 0), "off");
    EXPECT_EQ(userPresetName(6), "User Preset 07");
    EXPECT_EQ(userPresetName(99), "User Preset 100");
}

TEST(PresetParameters, ValuesAreParsedStrictly) {
    const Parameter& level = *find("levelDry");
    const Parameter& toggle = *find("left");
    EXPECT_EQ(parseValue(level, "0"), 0);
    EXPECT_EQ(parseValue(level, "127"), 127);
    for (const char* bad : {"128", "-1", "", "12a", "0x10", "1000", " 5"})
        EXPECT_FALSE(parseValue(level, bad)) << bad;
    EXPECT_EQ(parseValue(toggle, "on"), 1);
    EXPECT_EQ(parseValue(toggle, "off"), 0);
    EXPECT_FALSE(parseValue(toggle, "2"));
    EXPECT_FALSE(parseValue(toggle, "yes"));
    EXPECT_EQ(find("name"), nullptr) << "the name is not a parameter";
}

TEST(PresetParameters, AnEditNamesAnUnnamedPresetOnceAndIsOneUndoStep) {
    auto preset = Preset::presetWithSerialized(Bytes(104, ' '));
    ASSERT_TRUE(applyEdit(*preset, "masterVolume", 64, 6));
    EXPECT_EQ(preset->name(), "User Preset 07");
    EXPECT_EQ(preset->serialized()[32], 128);
    ASSERT_TRUE(applyEdit(*preset, "left", 1, 9));
    EXPECT_EQ(preset->name(), "User Preset 07") << "a name is never replaced";
    preset->undo();
    preset->undo();
    EXPECT_FALSE(preset->canUndo());
    EXPECT_FALSE(applyEdit(*preset, "loudness", 3, 6));
    EXPECT_FALSE(preset->canUndo()) << "an unknown key records nothing";
}

}  // namespace
}  // namespace harbrix
