// The small value records: time-outs, state block, settings block, preset geometry.
#include <gtest/gtest.h>

#include "link/LCXreply.h"
#include "link/PresetsSchema.h"
#include "link/SettingsBlock.h"
#include "link/Timeouts.h"

namespace harbrix {
namespace {

// A block whose byte i holds i + 1, so every field shows where it was read from.
LCXreply numberedBlock() {
    std::uint8_t bytes[48];
    for (int i = 0; i < 48; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
    return LCXreply::fromBytes(bytes);
}

TEST(TimeoutsRecord, DescriptionEqualityHash) {
    const auto t = Timeouts::timeoutsForReboot(5, 1, 2, 30);
    EXPECT_EQ(t.description(), "timeouts = { reboot = 5, general = 1, flash = 2, recover = 30 }");
    EXPECT_EQ(Timeouts::timeoutsForReboot(255, 0, 0, 0).description(),
              "timeouts = { reboot = 255, general = 0, flash = 0, recover = 0 }");
    EXPECT_EQ(t, Timeouts::timeoutsForReboot(5, 1, 2, 30));
    EXPECT_EQ(t.hash(), Timeouts::timeoutsForReboot(5, 1, 2, 30).hash());
    for (const auto& other :
         {Timeouts::timeoutsForReboot(6, 1, 2, 30), Timeouts::timeoutsForReboot(5, 0, 2, 30),
          Timeouts::timeoutsForReboot(5, 1, 3, 30), Timeouts::timeoutsForReboot(5, 1, 2, 31)})
        EXPECT_NE(t, other);
    // Bytes must not run together in the hashed text: 1|23 and 12|3 differ.
    EXPECT_NE(Timeouts::timeoutsForReboot(1, 23, 0, 0).hash(),
              Timeouts::timeoutsForReboot(12, 3, 0, 0).hash());
}

TEST(StateBlock, FieldsSitAtTheirWireOffsets) {
    const LCXreply block = numberedBlock();
    EXPECT_EQ(block.chBF, 1);
    EXPECT_EQ(block.chOM, 6);
    EXPECT_EQ(block.dfHOscn, 10);
    EXPECT_EQ(block.dfCont, 11);
    EXPECT_EQ(block.dfCRen, 12);
    EXPECT_EQ(block.rsv15, 16);
    EXPECT_EQ(block.prBF[0], 17);
    EXPECT_EQ(block.nmtB[0], 33);
    EXPECT_EQ(block.nmtB[15], 48);
    const Bytes bytes = block.bytes();
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(LCXreply::fromBytes(bytes.data()), block);
}

TEST(StateBlock, SlotBitsLeastSignificantFirst) {
    LCXreply block{};
    block.nmtB[0] = 0x01;   // slot 0
    block.nmtB[1] = 0x80;   // slot 15
    block.nmtB[12] = 0x08;  // slot 99
    block.nmtB[15] = 0x80;  // slot 127
    block.prBF[0] = 0x02;   // slot 1
    const std::pair<unsigned, bool> occupied[] = {
        {0, true},  {1, false},  {7, false},  {8, false},   {15, true},
        {99, true}, {98, false}, {127, true}, {128, false}, {4096, false}};
    for (const auto& [slot, set] : occupied) EXPECT_EQ(block.isOccupied(slot), set) << slot;
    EXPECT_TRUE(block.isEdited(1));
    EXPECT_FALSE(block.isEdited(0));
    EXPECT_FALSE(block.isEdited(15));  // the maps are separate
}

TEST(Settings, FromStateBlockSwapsContrastAndHomeView) {
    const SettingsBlock settings = SettingsBlock::fromLCXreply(numberedBlock());
    const SettingsBlock expected{6, 7, 8, 9, /*contrast*/ 11, /*homeview*/ 10, 12};
    EXPECT_EQ(settings, expected);
}

TEST(Settings, FromLittleEndianWordsInMemoryOrder) {
    Bytes words;
    for (int i = 1; i <= 28; ++i) words.push_back(static_cast<std::uint8_t>(i));
    words.push_back(0xFF);  // extra bytes are ignored
    const auto settings = SettingsBlock::fromWords(words);
    ASSERT_TRUE(settings);
    const SettingsBlock expected{0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D,
                                 0x14131211, 0x18171615, 0x1C1B1A19};
    EXPECT_EQ(*settings, expected);
    EXPECT_FALSE(SettingsBlock::fromWords(Bytes(27)));
}

TEST(Geometry, PackedFormRoundTrips) {
    const PresetsSchema schema{100, 52, 2};
    EXPECT_EQ(schema.packed(), 0x023464u);
    EXPECT_EQ(PresetsSchema::fromPacked(0xFF023464u), schema);
}

}  // namespace
}  // namespace harbrix
