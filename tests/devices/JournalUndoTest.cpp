// Undo and Redo against a scripted pedal: slots put back byte for byte, the check that keeps
// Undo off a slot changed since, an entry the program never ended, and a pedal that refuses
// the write. And the checks every journaled change makes before it sends anything: each slot
// read first and compared with the cache, and an entry that must be on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "devices/FactoryReset.h"
#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/JournaledChange.h"
#include "devices/JournaledWrites.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "devices/SlotContents.h"
#include "link/Commands.h"
#include "platform/Paths.h"
#include "support/JournaledOperations.h"
#include "support/PresetEvents.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "transfers/JournaledTransfers.h"

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
        presets(device).refreshPresets({0, 10}, true);
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
    EXPECT_EQ(SlotContents::of(*presets(device).cached(1)), lead) << "the cache follows";
    EXPECT_TRUE(presets(device).cached(7)->empty());
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
    EXPECT_EQ(SlotContents::of(*presets(device).cached(2)), pad) << "the screen shows the change";
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
        ASSERT_TRUE(presets(device).erase(1));
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

TEST_F(JournalUndoTest, EverySlotIsReadFirstAndOneChangedOnThePedalStopsTheChange) {
    // A device whose cache knows nothing yet journals what it reads.
    auto fresh =
        std::make_shared<QORUARTDevice>("cu.usbserial-UNDO01", "MIV3", "UNDO01", pedal.line());
    ASSERT_TRUE(fresh->completeInitialization());
    const std::size_t reads = sent(Command::READ_PRESET);
    auto change = JournaledChange::begin(*fresh, "Overwrite", {{2, lead}});
    ASSERT_TRUE(change && change->journaled());
    EXPECT_EQ(sent(Command::READ_PRESET), reads + 1);
    EXPECT_EQ(change->before(2), bass) << "not taken for empty";

    // Saved on the pedal itself since the cache read it: the overwrite and the move that
    // would erase it send nothing, and the cache shows what the pedal holds.
    pedal.presets[2] = pad;
    pedal.presets[7] = lead;
    const std::size_t before = writesAndErasures();
    const std::size_t entries = journal->entries().size();
    const TransferResult refused =
        JournaledTransfers::move(*device, presets(device).cached(5), 5, 7);
    EXPECT_EQ(refused.notice,
              "Slot 8 was changed on the pedal; the screen now shows it. Nothing was changed.");
    const TransferResult both =
        JournaledTransfers::copy(*device, presets(device).cached(1), 2, true);
    EXPECT_EQ(both.notice,
              "Slot 3 was changed on the pedal; the screen now shows it. Nothing was changed.");
    ASSERT_TRUE(both.refusal);
    EXPECT_EQ(both.refusal->reason, ChangeRefusal::Reason::changedOnPedal);
    EXPECT_EQ(writesAndErasures(), before);
    EXPECT_EQ(journal->entries().size(), entries);
    EXPECT_EQ(SlotContents::of(*presets(device).cached(2)), pad);
    EXPECT_EQ(SlotContents::of(*presets(device).cached(7)), lead);
    EXPECT_GE(test::presetAnnouncements(delegate, *device)[2], 1);

    // Asked again, the overwrite keeps what the pedal held, and Undo puts that back.
    ASSERT_TRUE(JournaledTransfers::copy(*device, presets(device).cached(1), 2, true).succeeded());
    EXPECT_EQ(journal->undoable()->slots[0].before, pad);
    ASSERT_TRUE(JournalUndo(*device, journal).undo().succeeded());
    EXPECT_EQ(pedal.presets.at(2), pad);

    pedal.unreadable = {5};
    ChangeRefusal unreadable;
    EXPECT_FALSE(JournaledChange::begin(*device, "Copy", {{5, lead}}, &unreadable));
    EXPECT_EQ(unreadable.reason, ChangeRefusal::Reason::unreadable);
    EXPECT_EQ(unreadable.indices, std::vector<std::size_t>{5});
}

TEST_F(JournalUndoTest, WithoutAJournalOnlyWhatCannotLoseAPresetGoesAhead) {
    // The journal's folder is a plain file: nothing can be written there.
    const std::string folder = journalDirectory();
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path());
    std::filesystem::remove_all(folder);
    test::writeText(folder, "not a folder");
    const std::size_t before = writesAndErasures();
    const std::size_t pokes = sent(Command::POKEC);
    const std::string journalLine =
        "Undo is not available: the journal could not be written (not a directory). Nothing "
        "was changed.";

    const TransferResult erase = JournaledTransfers::erase(*device, {1});
    EXPECT_EQ(erase.notice, journalLine);
    ASSERT_TRUE(erase.refusal);
    EXPECT_EQ(erase.refusal->journalPath, journal->path());
    const auto save = JournaledWrites::run(*device, "Save", {{2, pad}}, false);
    EXPECT_EQ(save.problem(), journalLine);
    const auto reset = FactoryReset::run(*device, PedalMemory::kRestorePresets);
    EXPECT_EQ(reset.message, journalLine);
    EXPECT_EQ(writesAndErasures(), before) << "nothing that could lose a preset was sent";
    EXPECT_EQ(sent(Command::POKEC), pokes) << "no reset either";

    // Filling empty slots cannot lose anything; the user may also choose to go on.
    EXPECT_TRUE(JournaledTransfers::copy(*device, presets(device).cached(1), 7, false).succeeded());
    EXPECT_TRUE(JournaledTransfers::erase(*device, {2}, {}, WithoutJournal::proceed).succeeded());
    EXPECT_EQ(pedal.presets.at(7), lead);
    EXPECT_EQ(pedal.presets.count(2), 0u);

    // A pedal without a serial number has no journal at all.
    auto nameless =
        std::make_shared<QORUARTDevice>("cu.usbserial-UNDO01", "MIV3", "", pedal.line());
    ASSERT_TRUE(nameless->completeInitialization());
    EXPECT_EQ(JournaledWrites::run(*nameless, "Delete", {{5, SlotBytes{}}}, false).problem(),
              "Undo is not available: the journal could not be written (the MIV3 has no serial "
              "number to name its journal by). Nothing was changed.");
    EXPECT_EQ(pedal.presets.count(5), 1u);
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

// The pedal took the request and restarted before it answered: the change reports a failure,
// yet the slot did change, and Undo must put it back.
TEST_F(JournalUndoTest, AChangeWhoseAnswerWasLostIsUndoneAllTheSame) {
    const auto start = pedal.presets;
    const std::pair<std::uint8_t, std::function<bool()>> cases[] = {
        {Command::WRITE_PRESET, [&] { return test::journaledMove(*device, 1, 7); }},
        {Command::ERASE_PRESET, [&] { return test::journaledMove(*device, 2, 8); }},
        {Command::ERASE_PRESET, [&] { return test::journaledDelete(*device, {5}); }},
        {Command::WRITE_PRESET,
         [&] {
             return JournaledWrites::run(*device, "Save", {{9, lead}}, false).succeeded();
         }},
    };
    for (const auto& [command, change] : cases) {
        pedal.unanswered = {command};
        EXPECT_FALSE(change());
        pedal.unanswered.clear();
        ASSERT_NE(pedal.presets, start) << "the request should have landed";
        const auto undone = JournalUndo(*device, journal).undo();
        ASSERT_EQ(undone.outcome, Outcome::done) << undone.message;
        EXPECT_EQ(pedal.presets, start) << undone.message;
    }
}

}  // namespace
}  // namespace harbrix
