// The preset record: the bytes of an empty slot, every key's place in the bytes with undo and
// redo, the name rules, and the working and saved copies.
#include <gtest/gtest.h>

#include "devices/Preset.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

// The pedal's layout: eight switches from bit 0 of byte 28 upward, then the level values
// in bytes 32..51 and the expression values in bytes 56..59, in these orders.
const char* const kSwitches[] = {"left",  "right",     "direct",      "exp",
                                 "focus", "dryAttack", "dryLPFilter", "dryDetune"};
const char* const kLevels[] = {"masterVolume", "panDry",       "panM2",         "panM1",
                               "panP5th",      "panP1",        "panP2",         "LPFilterQ",
                               "LPFilterEnv",  "detuneSpread", "inputGain",     "levelDry",
                               "levelM2",      "levelM1",      "levelP5th",     "levelP1",
                               "levelP2",      "levelAttack",  "levelLPFilter", "levelDetune"};
const char* const kExpression[] = {"expReverse", "expHeelTransposition", "expToeTransposition",
                                   "expMode"};

struct Place {
    std::string key;
    std::size_t byte;
    std::uint8_t bit;  // 0 for a value byte
};

std::vector<Place> places() {
    std::vector<Place> all;
    for (std::size_t i = 0; i < std::size(kSwitches); ++i)
        all.push_back({kSwitches[i], 28, static_cast<std::uint8_t>(1u << i)});
    for (std::size_t i = 0; i < std::size(kLevels); ++i) all.push_back({kLevels[i], 32 + i, 0});
    for (std::size_t i = 0; i < std::size(kExpression); ++i)
        all.push_back({kExpression[i], 56 + i, 0});
    return all;
}

class PresetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        device = pedal.bringUp();
        ASSERT_TRUE(device);
    }
    std::shared_ptr<Preset> named(const std::string& name, std::uint8_t seed = 3) {
        return Preset::presetWithSerialized(test::presetBytes(name, seed), device.get());
    }

    test::ScriptedPedal pedal;
    std::shared_ptr<QORUARTDevice> device;
};

TEST_F(PresetTest, EmptyPresetHasTheUnoccupiedSlotLayout) {
    const auto empty = Preset::emptyPresetForDevice(device.get());
    ASSERT_TRUE(empty);
    Bytes expected(104, 0);
    std::fill_n(expected.begin(), 24, ' ');
    expected[27] = 1;
    EXPECT_EQ(empty->serialized(), expected);
    EXPECT_EQ(empty->name(), "");
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(empty->dirty());
    EXPECT_FALSE(Preset::emptyPresetForDevice(nullptr));
    EXPECT_FALSE(Preset::presetWithSerialized(expected, nullptr));
    EXPECT_FALSE(Preset::presetWithSerialized(Bytes(103, 0), device.get()));
    EXPECT_EQ(Preset::presetWithSerialized(Bytes(130, 7), device.get())->serialized().size(), 130u)
        << "a longer block is carried whole";
}

TEST_F(PresetTest, EveryKeyLivesInItsOwnPlaceAndUndoesAndRedoes) {
    EXPECT_EQ(Preset::mapKeys().size(), places().size());
    for (const Place& place : places()) {
        SCOPED_TRACE(place.key);
        auto preset = named("Keys", 0);
        const Bytes before = preset->serialized();
        const int old = *preset->value(place.key);
        const int wanted = place.bit ? !old : (old == 100 ? 99 : 100);

        ASSERT_TRUE(preset->setValue(place.key, wanted));
        EXPECT_EQ(preset->value(place.key), wanted);
        Bytes expected = before;
        expected[place.byte] = place.bit ? static_cast<std::uint8_t>(before[place.byte] ^ place.bit)
                                         : static_cast<std::uint8_t>(wanted << 1);
        EXPECT_EQ(preset->serialized(), expected) << "only its own byte or bit changes";
        EXPECT_EQ(preset->undoHistory().undoActionName(), "Edit Setting");
        EXPECT_TRUE(preset->dirty());

        preset->undo();
        EXPECT_EQ(preset->serialized(), before);
        EXPECT_EQ(preset->value(place.key), old);
        ASSERT_TRUE(preset->canRedo());
        EXPECT_FALSE(preset->canUndo());
        preset->redo();
        EXPECT_EQ(preset->serialized(), expected);
        EXPECT_TRUE(preset->canUndo()) << "redo registers the undo again";
        EXPECT_FALSE(preset->canRedo());
    }
    auto preset = named("Keys");
    EXPECT_FALSE(preset->value("volume"));
    EXPECT_FALSE(preset->setValue("volume", 3));
    EXPECT_FALSE(preset->canUndo()) << "an unknown key records no step";
}

TEST_F(PresetTest, ValueBytesHoldSevenBitsAndSwitchesOneBit) {
    auto preset = named("Values");
    const struct {
        int written;
        std::uint8_t stored;
        int read;
    } values[] = {{64, 128, 64}, {127, 254, 127}, {0, 0, 0},
                  {128, 0, 0},   {129, 2, 1},     {-1, 254, 127}};
    for (const auto& v : values) {
        preset->setValue("masterVolume", v.written);
        EXPECT_EQ(preset->serialized()[32], v.stored) << v.written;
        EXPECT_EQ(preset->value("masterVolume"), v.read) << v.written;
    }
    Bytes odd = test::presetBytes("Odd");
    odd[32] = 129;  // bit 0 set by the pedal: ignored
    EXPECT_EQ(Preset::presetWithSerialized(odd, device.get())->value("masterVolume"), 64);

    odd[28] = 0;
    auto switches = Preset::presetWithSerialized(odd, device.get());
    switches->setValue("left", 0);
    EXPECT_EQ(switches->serialized()[28], 0);
    switches->setValue("left", 1);
    switches->setValue("left", 5);
    EXPECT_EQ(switches->serialized()[28], 1);
    EXPECT_EQ(switches->value("left"), 1);
    // Three steps: undo walks back through each of them.
    switches->undo();
    switches->undo();
    EXPECT_EQ(switches->serialized()[28], 0);
}

TEST_F(PresetTest, NamesAreTwentyFourAsciiCharacters) {
    const struct {
        std::string given;
        std::string field;  // bytes 0..23 afterwards; "" = unchanged
    } cases[] = {
        {"abc", "abc                     "},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "ABCDEFGHIJKLMNOPQRSTUVWX"},
        {"ABCDEFGHIJKLMNOPQRSTUVWX", "ABCDEFGHIJKLMNOPQRSTUVWX"},
        {"a\xEF\xA2\x88"
         "b",
         "a~b                     "},
        {"ABCDEFGHIJKLMNOPQRSTUVW\xEF\xA2\x88", "ABCDEFGHIJKLMNOPQRSTUVW~"},
        {"", "                        "},
        {"Caf\xC3\xA9", ""},
        {"\xFF\xFE", ""},
    };
    for (const auto& c : cases) {
        auto preset = named("Before");
        const Bytes before = preset->serialized();
        preset->setName(c.given);
        const std::string field(preset->serialized().begin(), preset->serialized().begin() + 24);
        EXPECT_EQ(field,
                  c.field.empty() ? std::string(before.begin(), before.begin() + 24) : c.field)
            << c.given;
        EXPECT_TRUE(
            std::equal(before.begin() + 24, before.end(), preset->serialized().begin() + 24));
        EXPECT_FALSE(preset->canUndo()) << "setName records nothing";
    }
    auto tilde = named("x");
    tilde->setName("A~B \xEF\xA2\x88");
    EXPECT_EQ(tilde->name(), "A~B ~");
    EXPECT_EQ(tilde->displayName(),
              "A\xEF\xA2\x88"
              "B \xEF\xA2\x88");

    Bytes foreign = test::presetBytes("Name");
    foreign[3] = 0xE9;
    EXPECT_EQ(Preset::presetWithSerialized(foreign, device.get())->name(), "");
    EXPECT_EQ(named("  Lead\r\n")->name(), "Lead");
}

TEST_F(PresetTest, NameEditsUndoLikeSettings) {
    auto preset = named("Old");
    preset->editName("New");
    EXPECT_EQ(preset->name(), "New");
    preset->undo();
    EXPECT_EQ(preset->name(), "Old");
    preset->redo();
    EXPECT_EQ(preset->name(), "New");
    // A fresh edit after an undo drops the redo step.
    preset->undo();
    preset->setValue("panDry", 3);
    EXPECT_FALSE(preset->canRedo());
}

TEST_F(PresetTest, WorkingAndSavedCopies) {
    auto preset = named("Saved");
    const Bytes saved = preset->serialized();
    preset->setValue("levelDry", 12);
    preset->setValue("focus", 1);
    ASSERT_TRUE(preset->dirty());

    auto copy = preset->copy();
    EXPECT_FALSE(copy->dirty());
    EXPECT_FALSE(copy->empty());
    EXPECT_FALSE(copy->canUndo());
    EXPECT_TRUE(*copy == *preset);
    EXPECT_EQ(copy->hash(), preset->hash());
    EXPECT_FALSE(copy->isEqualToCleanPreset(preset.get())) << "the copy saved the edits";
    EXPECT_FALSE(Preset::emptyPresetForDevice(device.get())->copy()->empty());

    auto other = named("Saved");
    EXPECT_TRUE(other->isEqualToCleanPreset(preset.get())) << "unsaved edits do not count";
    EXPECT_FALSE(*other == *preset);
    EXPECT_FALSE(other->isEqualToCleanPreset(nullptr));

    preset->revert();
    EXPECT_EQ(preset->serialized(), saved);
    EXPECT_FALSE(preset->dirty());
    EXPECT_FALSE(preset->canUndo());
    EXPECT_FALSE(preset->canRedo());
}

}  // namespace
}  // namespace harbrix
