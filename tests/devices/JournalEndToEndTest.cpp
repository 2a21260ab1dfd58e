// The journal against the simulated pedal: changes made in this process or by harbrixctl,
// undone and redone by harbrixctl in another, checked byte for byte in the pedal's own state
// file; a factory reset taken back; the check against slots changed since, and --force; a
// read-back the pedal damages; a journal that cannot be written; an undo that cannot write its
// preset back; and a preset saved on the pedal itself while harbrixctl was at work.
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

TEST_F(JournalEndToEnd, AJournalThatCannotBeWrittenStopsWhatCouldLoseAPreset) {
    start({{0, test::presetBytes("Lead", 1)}, {1, test::presetBytes("Clean", 2)}});
    const json before = storedPresets();
    breakJournal();
    const std::string refusal =
        "harbrixctl: the journal could not be written (not a directory): " + journalPath() +
        "; nothing was changed (--no-journal changes the pedal without it, and Undo cannot "
        "take that back)\n";
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"delete", "1"},
                                               {"erase", "2"},
                                               {"copy", "1", "2"},
                                               {"rename", "1", "Solo"},
                                               {"reset", "presets"}}) {
        const auto refused = ctl(words);
        EXPECT_EQ(refused.status, 1) << words[0];
        EXPECT_EQ(refused.err, refusal) << words[0];
    }
    EXPECT_EQ(storedPresets(), before) << "nothing was sent";

    // Filling an empty slot cannot lose a preset; --no-journal is the user's choice.
    const auto fill = ctl({"copy", "1", "5"});
    EXPECT_EQ(fill.status, 0) << fill.err;
    const auto forced = ctl({"delete", "--no-journal", "2"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    const json after = storedPresets();
    EXPECT_EQ(after.size(), 2u);
    EXPECT_EQ(after["4"], before["0"]);
    EXPECT_EQ(after.count("1"), 0u);
}

TEST_F(JournalEndToEnd, UndoOfAMoveWritesThePresetBackBeforeItErases) {
    const Bytes lead = test::presetBytes("Lead", 1);
    // The Move's write is the first; the undo's write back, the second, is refused.
    start({{1, lead}}, {"--error", "WRITE_PRESET#2=5"});
    const json before = storedPresets();
    ASSERT_EQ(ctl({"move", "2", "8"}).status, 0);
    const auto refused = ctl({"undo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "harbrixctl: Undo Move: the pedal did not take slot 02; stopped there.\n");
    EXPECT_EQ(storedPresets()["7"], hexText(lead)) << "still on the pedal, not only in the journal";

    const auto undo = ctl({"undo"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(storedPresets(), before);
}

TEST_F(JournalEndToEnd, APresetSavedOnThePedalMeanwhileIsShownAndNotOverwritten) {
    const Bytes clean = test::presetBytes("Clean", 2);
    // harbrixctl reads slots 1 and 3, then slot 3 again just before it overwrites it: the
    // pedal's owner saves slot 3 in between.
    start({{0, test::presetBytes("Lead", 1)}, {2, clean}}, {"--owner-edit", "READ_PRESET#3=3"});
    const auto refused = ctl({"copy", "1", "3"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "harbrixctl: Slot 3 was changed on the pedal; the screen now shows it. Nothing was "
              "changed.\n");
    const json saved = storedPresets();
    EXPECT_NE(saved["2"], hexText(clean)) << "the owner's save";
    EXPECT_NE(saved["2"], saved["0"]) << "not overwritten";
    EXPECT_EQ(ctl({"undo"}).out, "Nothing to undo.\n") << "nothing journaled";

    // Asked again, the copy journals what the owner saved, and Undo puts it back.
    ASSERT_EQ(ctl({"copy", "1", "3"}).status, 0);
    ASSERT_EQ(ctl({"undo"}).status, 0);
    EXPECT_EQ(storedPresets(), saved);
}

}  // namespace
}  // namespace harbrix
