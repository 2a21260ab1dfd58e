// The journal against the simulated pedal: changes made in this process or by harbrixctl,
// undone and redone by harbrixctl in another, checked byte for byte in the pedal's own state
// file; a factory reset taken back; the check against slots changed since, and --force; a
// read-back the pedal damages; and a long random run of changes undone to the last byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>

#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/JournaledWrites.h"
#include "devices/Preset.h"
#include "devices/SlotContents.h"
#include "link/Rails.h"
#include "support/JournaledOperations.h"
#include "support/Paths.h"
#include "support/PresetEvents.h"
#include "support/Program.h"
#include "support/ScriptedPedal.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using nlohmann::json;

class JournalEndToEnd : public ::testing::Test {
  protected:
    // This process and harbrixctl share the pedal's cache file, so that whichever opens the
    // line second knows the pedal already runs at its fast speed.
    void SetUp() override {
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CACHE_HOME");
    }

    // A simulated MIV3 whose slots hold `presets` (0-based slot -> bytes).
    void start(const std::map<std::size_t, Bytes>& presets, std::vector<std::string> extra = {}) {
        json slots = json::object();
        for (const auto& [slot, bytes] : presets) slots[std::to_string(slot)] = hexText(bytes);
        test::writeText(statePath(), json{{"presets", slots}}.dump());
        pedal = std::make_unique<test::Simulator>(arguments(extra));
        ASSERT_TRUE(pedal->running()) << pedal->error();
    }
    std::vector<std::string> arguments(const std::vector<std::string>& extra) const {
        std::vector<std::string> all = {"--model", "MIV3",    "--serial",
                                        "JRN001",  "--state", statePath()};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }
    std::string statePath() const { return files.file("state.json"); }
    json storedPresets() const { return json::parse(test::readText(statePath()))["presets"]; }

    test::ProgramResult ctl(std::vector<std::string> words) {
        words.insert(words.begin() + 1, {pedal->path(), "MIV3"});
        return test::runProgram(test::binPath("harbrixctl"), words,
                                {{"XDG_CACHE_HOME", cache.path()},
                                 {"XDG_DATA_HOME", data.path()},
                                 {"HARBRIX_LINK_FRAMING", "fast"}});
    }
    // Brings the pedal up in this process for `work`, and lets it go again so that
    // harbrixctl can open it.
    void onPedal(const std::function<void(QORUARTDevice&)>& work) {
        auto device = std::make_shared<QORUARTDevice>(pedal->nodeName(), "MIV3", "JRN001");
        device->setDeviceRoot(pedal->dir());
        device->setFraming(Framing::fast);
        ASSERT_TRUE(device->loadCache());
        ASSERT_TRUE(device->completeInitialization()) << device->failureReason();
        work(*device);
        railSync(Rails::disk(), [] {});  // the cache file is on disk before harbrixctl runs
    }

    test::TempDir files;
    test::TempDir cache;
    test::TempDir data;
    test::MainLoopThread mainLoop;
    std::unique_ptr<test::Simulator> pedal;
};

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

// Two hundred random changes, each journaled as the screens journal theirs, then two hundred
// undos: the pedal must end exactly as it began.
TEST_F(JournalEndToEnd, TwoHundredRandomChangesUndoneLeaveThePedalAsItWas) {
    std::map<std::size_t, Bytes> presets;
    for (std::size_t slot = 0; slot < 6; ++slot)
        presets[slot] =
            test::presetBytes("Start " + std::to_string(slot), static_cast<std::uint8_t>(slot));
    start(presets);
    const json before = storedPresets();
    constexpr std::size_t kSlots = 12;
    constexpr int kChanges = 200;

    onPedal([&](QORUARTDevice& device) {
        device.refreshPresets({0, kSlots}, true);
        std::mt19937 random(17);
        auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        auto occupied = [&] {
            std::vector<std::size_t> slots;
            for (std::size_t slot = 0; slot < kSlots; ++slot)
                if (!device.cachedPreset(slot)->empty()) slots.push_back(slot);
            return slots;
        };
        int made = 0;
        while (made < kChanges) {
            const auto full = occupied();
            const std::size_t a = full.empty() ? 0 : full[pick(full.size())];
            std::size_t b = pick(kSlots);
            if (b == a) b = (b + 1) % kSlots;
            bool ok = false;
            switch (full.empty() ? 5 : pick(6)) {
                case 0:
                    ok = test::journaledMove(device, a, b);
                    break;
                case 1:
                    ok = test::journaledCopy(device, a, b);
                    break;
                case 2:
                    ok = test::journaledSwap(device, a, b);
                    break;
                case 3:
                    ok = test::journaledDelete(device, {a, b});
                    break;
                case 4:
                    ok = test::journaledRename(device, a, "Renamed " + std::to_string(made));
                    break;
                default: {
                    const Bytes bytes = test::presetBytes("New " + std::to_string(made),
                                                          static_cast<std::uint8_t>(made));
                    ok = JournaledWrites::run(device, "Export", {{b, bytes}}, false).succeeded();
                }
            }
            ASSERT_TRUE(ok) << "change " << made;
            ++made;
        }
        const auto journal = Journal::forDevice(device);
        JournalUndo undo(device, journal);
        for (int i = 0; i < kChanges; ++i) {
            const auto result = undo.undo();
            ASSERT_TRUE(result.succeeded()) << i << ": " << result.message;
        }
    });
    EXPECT_EQ(storedPresets(), before);
}

}  // namespace
}  // namespace harbrix
