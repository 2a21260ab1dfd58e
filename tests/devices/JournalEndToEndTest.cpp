// The journal against the simulated pedal: changes made in this process or by harbrixctl,
// undone and redone by harbrixctl in another, checked byte for byte in the pedal's own state
// file; a factory reset taken back; the check against slots changed since, and --force; a
// read-back the pedal damages; and an undo that cannot write its preset back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devices/SlotContents.h"
#include "support/JournaledPedal.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

using nlohmann::json;

using JournalEndToEnd = test::JournaledPedal;

TEST_F(JournalEndToEnd, ADeleteOfThreeSlotsIsUndoneByAnotherProgram) {
    start({{0, test::presetBytes("Lead", 1)},
           {7, test::presetBytes("Lead", 2)},
           {42, test::presetBytes("Clean", 3)},
           {63, test::presetBytes("Keep", 4)}});
    const json before = storedPresets();
    const auto erased = ctl({"delete", "1", "8", "43"});
    ASSERT_EQ(erased.status, 0) << erased.err;
    ASSERT_EQ(storedPresets().size(), 1u);

    const auto undo = ctl({"undo"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(undo.out, "Undo Delete: slots 01, 08, 43 put back.\n");
    EXPECT_EQ(storedPresets(), before) << "byte for byte";

    const auto history = ctl({"history"});
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_NE(history.out.find("Delete         01, 08, 43                undone"),
              std::string::npos)
        << history.out;
    const auto again = ctl({"undo"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "Nothing to undo.\n");
}

TEST_F(JournalEndToEnd, ASwapIsUndoneAndRedone) {
    const Bytes a = test::presetBytes("Octave", 5);
    const Bytes b = test::presetBytes("Fifth", 6);
    start({{3, a}, {9, b}});
    const json before = storedPresets();
    const auto swap = ctl({"swap", "4", "10", "--verify"});
    ASSERT_EQ(swap.status, 0) << swap.err;
    const json swapped = storedPresets();
    ASSERT_EQ(swapped["3"], hexText(b));

    ASSERT_EQ(ctl({"undo"}).status, 0);
    EXPECT_EQ(storedPresets(), before);
    const auto redo = ctl({"redo"});
    ASSERT_EQ(redo.status, 0) << redo.err;
    EXPECT_EQ(redo.out, "Redo Swap: slots 04, 10 changed again.\n");
    EXPECT_EQ(storedPresets(), swapped);
    EXPECT_EQ(ctl({"redo"}).out, "Nothing to redo.\n");
}

TEST_F(JournalEndToEnd, AFactoryResetOfThePresetsIsUndoneInAllHundredSlots) {
    std::map<std::size_t, Bytes> presets;
    for (std::size_t slot = 0; slot < 100; ++slot)
        presets[slot] =
            test::presetBytes("Mine " + std::to_string(slot + 1), static_cast<std::uint8_t>(slot));
    start(presets);
    const json before = storedPresets();

    const auto reset = ctl({"reset", "presets"});
    ASSERT_EQ(reset.status, 0) << reset.err;
    ASSERT_TRUE(storedPresets().empty()) << "the reset empties every slot";
    const auto history = ctl({"history"});
    EXPECT_NE(history.out.find("Factory Reset  01-100"), std::string::npos) << history.out;

    const auto undo = ctl({"undo"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(storedPresets(), before);
}

TEST_F(JournalEndToEnd, ASlotChangedSinceStopsUndoUntilForced) {
    const Bytes mine = test::presetBytes("Mine", 7);
    const Bytes theirs = test::presetBytes("Theirs", 8);
    start({{2, mine}, {4, test::presetBytes("Other", 9)}});
    ASSERT_EQ(ctl({"erase", "3"}).status, 0);
    // Another program fills the slot without the journal knowing.
    onPedal([&](QORUARTDevice& device) { ASSERT_TRUE(SlotContents::write(device, 2, theirs)); });

    const auto refused = ctl({"undo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "harbrixctl: Undo Delete: slot 03 has changed since; nothing was changed. "
              "(--force overwrites them)\n");
    EXPECT_EQ(storedPresets()["2"], hexText(theirs));

    const auto forced = ctl({"undo", "--force"});
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(storedPresets()["2"], hexText(mine));
}

TEST_F(JournalEndToEnd, AWriteThatReadsBackOtherwiseStopsAndIsJournaled) {
    const Bytes mine = test::presetBytes("Mine", 7);
    start({{2, mine}});
    ASSERT_EQ(ctl({"erase", "3"}).status, 0);
    // The slot is read once before the write and once after it: the second reply is damaged.
    ASSERT_TRUE(pedal->restart(arguments({"--corrupt", "READ_PRESET=2"}))) << pedal->error();
    const auto undo = ctl({"undo"});
    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(undo.err,
              "harbrixctl: Undo Delete: slot 03 does not read back as written; "
              "stopped there.\n");
    const auto history = ctl({"history"});
    const auto write = history.out.find("Write          03");
    EXPECT_NE(write, std::string::npos) << history.out;
    EXPECT_EQ(history.out.find("undone"), std::string::npos) << "the delete is not undone";

    // --verify on put catches the same.
    test::writeText(files.file("mine.qorpreset"), std::string("\x4D\x3A\0\0\x01\x06\0\0", 8) +
                                                      std::string(mine.begin(), mine.end()));
    ASSERT_TRUE(pedal->restart(arguments({"--corrupt", "READ_PRESET=2"}))) << pedal->error();
    const auto put = ctl({"put", files.file("mine.qorpreset"), "6", "--verify"});
    EXPECT_EQ(put.status, 1);
    EXPECT_EQ(put.err, "harbrixctl: slot 06 does not read back as written\n");
}

TEST_F(JournalEndToEnd, UndoOfAMoveWritesThePresetBackBeforeItErases) {
    const Bytes lead = test::presetBytes("Lead", 1);
    start({{1, lead}});
    const json before = storedPresets();
    ASSERT_EQ(ctl({"move", "2", "8"}).status, 0);
    ASSERT_TRUE(pedal->restart(arguments({"--error", "WRITE_PRESET=5"}))) << pedal->error();
    const auto refused = ctl({"undo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "harbrixctl: Undo Move: the pedal did not take slot 02; stopped there.\n");
    EXPECT_EQ(storedPresets()["7"], hexText(lead)) << "still on the pedal, not only in the journal";

    ASSERT_TRUE(pedal->restart(arguments({}))) << pedal->error();
    const auto undo = ctl({"undo"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(storedPresets(), before);
}

}  // namespace
}  // namespace harbrix
