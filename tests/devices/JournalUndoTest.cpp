// Undo and Redo against a scripted pedal: slots put back byte for byte, the check that keeps
// Undo off a slot changed since, an entry the program never ended, slots read before they
// are written down, and a pedal that refuses the write.
#include <gtest/gtest.h>

#include <cstdlib>

#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/JournaledChange.h"
#include "devices/Preset.h"
#include "devices/SlotContents.h"
#include "link/Commands.h"
#include "support/JournaledOperations.h"
#include "support/PresetEvents.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using Outcome = JournalUndo::Result::Outcome;

class JournalUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        QORUARTDevice::setDelegate(&delegate);
        pedal.presets = {{1, lead}, {2, bass}, {5, pad}};
        device =
            std::make_shared<QORUARTDevice>("cu.usbserial-UNDO01", "MIV3", "UNDO01", pedal.line());
        ASSERT_TRUE(device->completeInitialization());
        device->refreshPresets({0, 10}, true);
        journal = Journal::forDevice(*device);
        ASSERT_TRUE(journal);
    }
    void TearDown() override {
        QORUARTDevice::setDelegate(nullptr);
        unsetenv("XDG_DATA_HOME");
    }

    // How many requests of the command went out since the test began.
    std::size_t sent(std::uint8_t command) const {
        std::size_t count = 0;
        for (const Bytes& request : pedal.line()->writes())
            if (!request.empty() && request[0] == command) ++count;
        return count;
    }
    std::size_t writesAndErasures() const {
        return sent(Command::WRITE_PRESET) + sent(Command::ERASE_PRESET);
    }

    void move(std::size_t from, std::size_t to) {
        ASSERT_TRUE(test::journaledMove(*device, from, to));
    }
    void swap(std::size_t a, std::size_t b) { ASSERT_TRUE(test::journaledSwap(*device, a, b)); }

    const Bytes lead = test::presetBytes("Lead", 1);
    const Bytes bass = test::presetBytes("Bass", 2);
    const Bytes pad = test::presetBytes("Pad", 3);
    test::TempDir data;
    test::MainLoopThread mainLoop;
    test::RecordingDelegate delegate;
    test::ScriptedPedal pedal;
    std::shared_ptr<QORUARTDevice> device;
    std::shared_ptr<Journal> journal;
};

TEST_F(JournalUndoTest, UndoPutsAMoveBackAndRedoDoesItAgain) {
    const auto start = pedal.presets;
    move(1, 7);
    ASSERT_EQ(pedal.presets.count(1), 0u);

    JournalUndo undo(*device, journal);
    const auto undone = undo.undo();
    ASSERT_EQ(undone.outcome, Outcome::done) << undone.message;
    EXPECT_EQ(pedal.presets, start) << "byte for byte, and slot 8 empty again";
    EXPECT_EQ(undone.message, "Undo Move: slots 02, 08 put back.");
    EXPECT_EQ(SlotContents::of(*device->cachedPreset(1)), lead) << "the cache follows";
    EXPECT_TRUE(device->cachedPreset(7)->empty());
    EXPECT_FALSE(journal->undoable()) << "nothing older to undo";
    EXPECT_EQ(undo.undo().outcome, Outcome::nothing);

    const auto redone = undo.redo();
    ASSERT_EQ(redone.outcome, Outcome::done) << redone.message;
    EXPECT_EQ(pedal.presets.at(7), lead);
    EXPECT_EQ(pedal.presets.count(1), 0u);
    EXPECT_EQ(journal->undoable()->operation, "Move");
    EXPECT_FALSE(journal->redoable());
}

TEST_F(JournalUndoTest, ASlotChangedSinceStopsUndoBeforeAnyWriteUnlessForced) {
    swap(1, 2);
    pedal.presets[2] = pad;  // changed on the pedal itself
    const std::size_t before = writesAndErasures();

    JournalUndo undo(*device, journal);
    const auto refused = undo.undo();
    EXPECT_EQ(refused.outcome, Outcome::changedSince);
    EXPECT_EQ(refused.slots, std::vector<std::size_t>{2});
    EXPECT_EQ(refused.message, "Undo Swap: slot 03 has changed since; nothing was changed.");
    EXPECT_EQ(writesAndErasures(), before) << "slot 2 must not be put back alone";
    EXPECT_EQ(pedal.presets.at(1), bass);
    EXPECT_EQ(SlotContents::of(*device->cachedPreset(2)), pad) << "the screen shows the change";
    EXPECT_EQ(journal->undoable()->operation, "Swap") << "still to be undone";

    const auto forced = undo.undo(true);
    ASSERT_EQ(forced.outcome, Outcome::done) << forced.message;
    EXPECT_EQ(pedal.presets.at(1), lead);
    EXPECT_EQ(pedal.presets.at(2), bass);
}

TEST_F(JournalUndoTest, AnEntryCutShortIsUndoneAsFarAsItGot) {
    {
        // A delete of three slots whose program stopped after the first erasure.
        auto change = JournaledChange::begin(
            *device, "Delete", {{1, SlotBytes{}}, {2, SlotBytes{}}, {5, SlotBytes{}}});
        ASSERT_TRUE(change);
        ASSERT_TRUE(device->erasePreset(1));
    }
    Journal reopened(journal->path());
    ASSERT_FALSE(reopened.undoable()->finished());
    const std::size_t before = writesAndErasures();

    const auto undone = JournalUndo(*device, journal).undo();
    ASSERT_EQ(undone.outcome, Outcome::done) << undone.message;
    EXPECT_EQ(undone.slots, std::vector<std::size_t>{1});
    EXPECT_EQ(writesAndErasures(), before + 1) << "slots 3 and 6 still hold their presets";
    EXPECT_EQ(pedal.presets.at(1), lead);
    EXPECT_EQ(pedal.presets.at(5), pad);
}

TEST_F(JournalUndoTest, SlotsTheCacheDoesNotKnowAreReadBeforeTheyAreWrittenDown) {
    // A device whose cache knows nothing yet.
    auto fresh =
        std::make_shared<QORUARTDevice>("cu.usbserial-UNDO01", "MIV3", "UNDO01", pedal.line());
    ASSERT_TRUE(fresh->completeInitialization());
    const std::size_t reads = sent(Command::READ_PRESET);
    auto change = JournaledChange::begin(*fresh, "Overwrite", {{2, lead}});
    ASSERT_TRUE(change && change->journaled());
    EXPECT_EQ(sent(Command::READ_PRESET), reads + 1);
    EXPECT_EQ(change->before(2), bass) << "not taken for empty";

    pedal.unreadable = {5};
    std::size_t unreadable = 0;
    const std::size_t entries = journal->entries().size();
    EXPECT_FALSE(JournaledChange::begin(*fresh, "Copy", {{5, lead}}, &unreadable));
    EXPECT_EQ(unreadable, 5u);
    EXPECT_EQ(journal->entries().size(), entries) << "nothing written down, nothing sent";
}

TEST_F(JournalUndoTest, AWriteThePedalRefusesLeavesTheEntryToBeUndoneAgain) {
    move(1, 7);
    pedal.errors[Command::WRITE_PRESET] = 5;
    const std::size_t erasures = sent(Command::ERASE_PRESET);
    JournalUndo undo(*device, journal);
    const auto refused = undo.undo();
    EXPECT_EQ(refused.outcome, Outcome::refused);
    EXPECT_EQ(refused.message, "Undo Move: the pedal did not take slot 02; stopped there.");
    EXPECT_FALSE(journal->undoable()->undone);
    // The write back comes before the erase, as in the Move itself: the preset is still on
    // the pedal, not only in the journal.
    EXPECT_EQ(sent(Command::ERASE_PRESET), erasures);
    EXPECT_EQ(pedal.presets.at(7), lead);

    pedal.errors.clear();
    const auto again = undo.undo();
    ASSERT_EQ(again.outcome, Outcome::done) << again.message;
    EXPECT_EQ(pedal.presets.at(1), lead);
    EXPECT_EQ(pedal.presets.count(7), 0u);
}

}  // namespace
}  // namespace harbrix
