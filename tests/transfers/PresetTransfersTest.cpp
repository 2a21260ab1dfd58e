// The transfer operations against a scripted pedal: the order of the writes and erases they
// send, what a refused write leaves on the pedal, the notices that say so, and the posted
// forms' refusals of what would lose a preset.
#include <gtest/gtest.h>

#include <future>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "link/Rails.h"
#include "link/Request.h"
#include "support/DeviceEvents.h"
#include "support/ScriptedPedal.h"
#include "transfers/PresetTransfers.h"

namespace harbrix {
namespace {

using test::presetBytes;

// A request as "WRITE 7" or "ERASE 3": what reached the pedal, in order.
std::string describe(const Bytes& request) {
    const std::string slot = std::to_string(requestArgument(request));
    if (request[0] == Command::WRITE_PRESET) return "WRITE " + slot;
    if (request[0] == Command::ERASE_PRESET) return "ERASE " + slot;
    return "OTHER";
}

class PresetTransfersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QORUARTDevice::setDelegate(&delegate);
        pedal.presets[2] = presetBytes("Lead", 2);
        pedal.presets[4] = presetBytes("Clean", 4);
        device = pedal.bringUp("SCRIPTED");
        ASSERT_TRUE(device);
        device->setQueue(railsQueue("transfers-test"));
        for (std::size_t slot = 0; slot < 10; ++slot)
            railSync(device->queue(), [&] { presets(device).refreshPreset(slot); });
        test::MainLoopThread::settle();
        sent = pedal.line()->writes().size();
    }
    void TearDown() override {
        railSync(device->queue(), [] {});
        QORUARTDevice::setDelegate(nullptr);
    }
    // The writes and erases sent since the last call.
    std::vector<std::string> sentSince() {
        const auto writes = pedal.line()->writes();
        std::vector<std::string> fresh;
        for (std::size_t i = sent; i < writes.size(); ++i) fresh.push_back(describe(writes[i]));
        sent = writes.size();
        return fresh;
    }
    PresetRef cached(std::size_t slot) { return presets(device).cached(slot); }
    Bytes onPedal(std::size_t slot) {
        const auto it = pedal.presets.find(slot);
        return it == pedal.presets.end() ? Bytes{} : it->second;
    }
    // Runs on the pedal's queue, as the screen's blocks do.
    TransferResult run(const std::function<TransferResult(QORUARTDevice&)>& work) {
        TransferResult result;
        railSync(device->queue(), [&] { result = work(*device); });
        return result;
    }
    // The result of a posted operation, once its completion has run on the main rail.
    TransferResult waitFor(std::future<TransferResult>& future) {
        EXPECT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        return future.get();
    }

    // Declared first so that it outlives the main loop, which may still be delivering to it.
    test::RecordingDelegate delegate;
    test::MainLoopThread mainLoop;
    test::ScriptedPedal pedal;
    DeviceRef device;
    std::size_t sent = 0;
};

TEST_F(PresetTransfersTest, MoveErasesTheSourceOnlyAfterTheTargetWasWritten) {
    const PresetRef lead = cached(2)->copy();
    TransferResult result =
        run([&](QORUARTDevice& d) { return PresetTransfers::runMove(d, lead, 2, 7); });
    EXPECT_TRUE(result.succeeded()) << result.notice;
    EXPECT_EQ(sentSince(), (std::vector<std::string>{"WRITE 7", "ERASE 2"}));
    EXPECT_EQ(onPedal(7), presetBytes("Lead", 2));
    EXPECT_TRUE(onPedal(2).empty());

    // Refused: nothing is erased, the preset stays where it was, and the notice says so.
    pedal.slotErrors[{Command::WRITE_PRESET, 8}] = 5;
    const PresetRef moved = cached(7)->copy();
    result = run([&](QORUARTDevice& d) { return PresetTransfers::runMove(d, moved, 7, 8); });
    EXPECT_EQ(sentSince(), (std::vector<std::string>{"WRITE 8"}));
    EXPECT_EQ(onPedal(7), presetBytes("Lead", 2));
    EXPECT_TRUE(cached(8)->empty());
    EXPECT_EQ(result.notice, "Slot 9 could not be written; \"Lead\" stays in slot 8.");

    // Written but not erased: the user hears that it is in both slots.
    pedal.slotErrors.clear();
    pedal.slotErrors[{Command::ERASE_PRESET, 7}] = 5;
    result = run([&](QORUARTDevice& d) { return PresetTransfers::runMove(d, moved, 7, 8); });
    EXPECT_EQ(result.notice,
              "\"Lead\" was written to slot 9, but Slot 8 could not be erased; it is in both.");
}

TEST_F(PresetTransfersTest, OverwriteSendsExactlyWhatCopySends) {
    const PresetRef lead = cached(2)->copy();
    run([&](QORUARTDevice& d) { return PresetTransfers::runCopy(d, lead, 7, false); });
    run([&](QORUARTDevice& d) { return PresetTransfers::runCopy(d, lead, 4, true); });
    const auto writes = pedal.line()->writes();
    ASSERT_GE(writes.size(), 2u);
    Bytes copy = writes[writes.size() - 2], overwrite = writes.back();
    EXPECT_EQ(requestArgument(copy), 7u);
    EXPECT_EQ(requestArgument(overwrite), 4u);
    copy[4] = overwrite[4] = 0;  // the slot argument
    EXPECT_EQ(copy, overwrite);
    EXPECT_EQ(onPedal(4), presetBytes("Lead", 2));

    pedal.slotErrors[{Command::WRITE_PRESET, 2}] = 5;
    const PresetRef clean = cached(4)->copy();
    EXPECT_EQ(
        run([&](QORUARTDevice& d) { return PresetTransfers::runCopy(d, clean, 2, true); }).notice,
        "Slot 3 could not be written; the pedal kept its preset.");
}

// Which write of a swap fails, what goes to the pedal, what it holds afterwards, and what the
// user is told.
struct SwapCase {
    const char* name;
    std::set<std::size_t> failingWrites;  // 1 = the first write of the swap
    std::vector<std::string> sent;
    std::string slot2, slot4;  // what the pedal holds afterwards
    std::string notice;
};

TEST_F(PresetTransfersTest, ASwapNeverLeavesAPresetOffThePedal) {
    const SwapCase cases[] = {
        {"both writes", {}, {"WRITE 4", "WRITE 2"}, "Clean", "Lead", ""},
        {"first write fails",
         {1},
         {"WRITE 4"},
         "Lead",
         "Clean",
         "Slot 5 could not be written; nothing was swapped."},
        {"second write fails",
         {2},
         {"WRITE 4", "WRITE 2", "WRITE 4"},
         "Lead",
         "Clean",
         "Slot 3 could not be written; the swap was undone."},
        {"second write and the repair fail",
         {2, 3},
         {"WRITE 4", "WRITE 2", "WRITE 4"},
         "Lead",
         "Lead",
         "Slot 3 could not be written and Slot 5 could not be restored: \"Clean\" is no longer "
         "on the pedal."},
    };
    for (const SwapCase& c : cases) {
        SCOPED_TRACE(c.name);
        pedal.presets[2] = presetBytes("Lead", 2);
        pedal.presets[4] = presetBytes("Clean", 4);
        std::size_t writesBefore = 0;
        for (const Bytes& w : pedal.line()->writes()) writesBefore += w[0] == Command::WRITE_PRESET;
        pedal.nthErrors.clear();
        for (const std::size_t nth : c.failingWrites)
            pedal.nthErrors[{Command::WRITE_PRESET, writesBefore + nth}] = 5;
        const PresetRef a = Preset::presetWithSerialized(pedal.presets[2], device.get());
        const PresetRef b = Preset::presetWithSerialized(pedal.presets[4], device.get());
        presets(device).setCached(a->copy(), 2);
        presets(device).setCached(b->copy(), 4);
        sentSince();
        const TransferResult result =
            run([&](QORUARTDevice& d) { return PresetTransfers::runSwap(d, a, b, 2, 4); });
        EXPECT_EQ(sentSince(), c.sent);
        EXPECT_EQ(onPedal(2), presetBytes(c.slot2, c.slot2 == "Lead" ? 2 : 4));
        EXPECT_EQ(onPedal(4), presetBytes(c.slot4, c.slot4 == "Lead" ? 2 : 4));
        EXPECT_EQ(result.notice, c.notice);
        // The cache follows the pedal.
        EXPECT_EQ(cached(2)->name(), c.slot2);
        EXPECT_EQ(cached(4)->name(), c.slot4);
    }
}

TEST_F(PresetTransfersTest, EraseGoesOnPastAFailureAndWriteStopsAtOne) {
    pedal.presets[6] = presetBytes("Six", 6);
    pedal.presets[8] = presetBytes("Eight", 8);
    pedal.slotErrors[{Command::ERASE_PRESET, 4}] = 5;
    pedal.slotErrors[{Command::ERASE_PRESET, 8}] = 5;
    std::vector<std::size_t> heard;
    TransferResult result = run([&](QORUARTDevice& d) {
        return PresetTransfers::runErase(d, {8, 2, 6, 4},
                                         [&](std::size_t s) { heard.push_back(s); });
    });
    EXPECT_EQ(sentSince(), (std::vector<std::string>{"ERASE 2", "ERASE 4", "ERASE 6", "ERASE 8"}));
    EXPECT_EQ(heard, (std::vector<std::size_t>{2, 6}));
    EXPECT_EQ(result.failed, (std::vector<std::size_t>{4, 8}));
    EXPECT_EQ(result.notice, "Slots 5 and 9 could not be erased; the pedal kept their presets.");

    pedal.slotErrors[{Command::WRITE_PRESET, 5}] = 5;
    const auto file = [&](const char* name) {
        return Preset::presetWithSerialized(presetBytes(name, 9), device.get());
    };
    result = run([&](QORUARTDevice& d) {
        return PresetTransfers::runWrite(d, {{9, file("C")}, {1, file("A")}, {5, file("B")}});
    });
    EXPECT_EQ(sentSince(), (std::vector<std::string>{"WRITE 1", "WRITE 5"}));
    EXPECT_EQ(result.done, (std::vector<std::size_t>{1}));
    EXPECT_EQ(result.notice,
              "Slot 6 could not be written; its file and the 1 after it are still staged.");
}

TEST_F(PresetTransfersTest, PostedOperationsRefuseWhatWouldLoseAPreset) {
    PresetTransfers transfers(device);
    const auto nothing = [](const TransferResult&) {};
    // Each refusal says why, for the notice line; an unchanged name has nothing to say.
    const struct {
        std::function<bool()> run;
        std::string refusal;
    } refusals[] = {
        {[&] { return transfers.move(2, 2, nothing); },
         "Slot 3 cannot take its own preset; nothing was moved."},
        {[&] { return transfers.move(2, 4, nothing); },
         "Slot 5 is no longer empty; nothing was moved."},
        {[&] { return transfers.move(7, 8, nothing); },
         "Slot 8 no longer holds a preset; nothing was moved."},
        {[&] { return transfers.move(2, 12, nothing); },
         "Slot 13 has not been read yet; nothing was moved."},
        {[&] { return transfers.copy(2, 12, true, nothing); },
         "Slot 13 has not been read yet; nothing was copied."},
        {[&] { return transfers.swap(2, 7, nothing); },
         "Slot 8 no longer holds a preset; nothing was swapped."},
        {[&] { return transfers.write({}, {}, nothing); },
         "No file is staged; nothing was written."},
        {[&] {
             return transfers.write({{150, cached(2)}}, {}, nothing);
         },
         "Slot 151 is not on this pedal; nothing was written."},
        {[&] { return transfers.rename(2, "Lead", nothing); }, ""},
        {[&] { return transfers.rename(7, "Name", nothing); },
         "Slot 8 no longer holds a preset; nothing was renamed."},
    };
    for (const auto& r : refusals) {
        EXPECT_FALSE(r.run()) << r.refusal;
        EXPECT_EQ(transfers.refusal(), r.refusal);
    }
    railSync(device->queue(), [] {});
    EXPECT_TRUE(sentSince().empty());

    // Two drops onto the same empty slot in quick succession: the second finds the slot
    // changed and leaves both presets where they are.
    std::promise<TransferResult> first, second;
    auto firstDone = first.get_future(), secondDone = second.get_future();
    ASSERT_TRUE(transfers.move(2, 7, [&](const TransferResult& r) { first.set_value(r); }));
    ASSERT_TRUE(transfers.move(4, 7, [&](const TransferResult& r) { second.set_value(r); }));
    EXPECT_TRUE(waitFor(firstDone).succeeded());
    const TransferResult refused = waitFor(secondDone);
    EXPECT_EQ(refused.notice, "Slot 8 changed before the move could run; nothing was moved.");
    EXPECT_EQ(onPedal(7), presetBytes("Lead", 2));
    EXPECT_EQ(onPedal(4), presetBytes("Clean", 4));
    ASSERT_EQ(refused.before.count(4), 1u);
    EXPECT_EQ(refused.before.at(4)->name(), "Clean");
}

TEST_F(PresetTransfersTest, ARefusedRenameLeavesTheOldNameInTheCache) {
    PresetTransfers transfers(device);
    pedal.slotErrors[{Command::WRITE_PRESET, 4}] = 5;
    std::promise<TransferResult> done;
    auto future = done.get_future();
    ASSERT_TRUE(transfers.rename(4, "Crunch", [&](const TransferResult& r) { done.set_value(r); }));
    EXPECT_EQ(cached(4)->name(), "Clean") << "not before the pedal has it";
    EXPECT_EQ(waitFor(future).notice,
              "Slot 5 could not be renamed; the pedal kept the name \"Clean\".");
    EXPECT_EQ(cached(4)->name(), "Clean");
    EXPECT_FALSE(cached(4)->dirty());

    pedal.slotErrors.clear();
    std::promise<TransferResult> again;
    future = again.get_future();
    ASSERT_TRUE(transfers.rename(4,
                                 "a\xEF\xA2\x88"
                                 "b",
                                 [&](const TransferResult& r) { again.set_value(r); }));
    EXPECT_TRUE(waitFor(future).succeeded());
    EXPECT_EQ(cached(4)->name(), "a~b");
    const Bytes renamed = onPedal(4);
    EXPECT_EQ(std::string(renamed.begin(), renamed.begin() + 24), "a~b" + std::string(21, ' '));
}

}  // namespace
}  // namespace harbrix
