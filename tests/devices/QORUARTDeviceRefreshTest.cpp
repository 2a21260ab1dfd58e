// Refreshing the preset cache against a scripted pedal: where a refresh stops, what it
// announces and reports, the 8-bit slot range, pausing, and history navigation.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "support/PresetEvents.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

using namespace std::chrono_literals;
using test::RefreshOutcome;

class RefreshTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QORUARTDevice::setDelegate(&delegate);
        for (std::size_t slot = 0; slot < 20; ++slot)
            pedal.presets[slot] = test::presetBytes("P", static_cast<std::uint8_t>(slot));
        device = pedal.bringUp();
        ASSERT_TRUE(device);
        device->setQueue(railsQueue("refresh-test"));
    }
    void TearDown() override { QORUARTDevice::setDelegate(nullptr); }
    std::size_t reads() {
        const auto codes = pedal.line()->commandsWritten();
        return static_cast<std::size_t>(
            std::count(codes.begin(), codes.end(), Command::READ_PRESET));
    }
    std::map<std::size_t, int> announced() { return test::presetAnnouncements(delegate, *device); }

    // Declared first so that it outlives the main loop, which may still be delivering to it.
    test::RecordingDelegate delegate;
    test::MainLoopThread mainLoop;
    test::ScriptedPedal pedal;
    std::shared_ptr<QORUARTDevice> device;
};

// Hands out a shield when a full refresh begins and keeps the one it gets back.
class ShieldDelegate : public test::RecordingDelegate {
  public:
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef&) override {
        ++began;
        return given;
    }
    void deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>& shield) override {
        returned.set_value(shield);
    }

    std::atomic<int> began = 0;
    std::shared_ptr<void> given = std::make_shared<int>(7);
    std::promise<std::shared_ptr<void>> returned;
};

TEST_F(RefreshTest, DeferredRefreshStopsAtAFailedSlotAndKeepsTheRest) {
    std::map<std::size_t, std::shared_ptr<Preset>> earlier;
    for (std::size_t slot = 10; slot < 15; ++slot) {
        earlier[slot] = Preset::presetWithSerialized(test::presetBytes("Old", 99), device.get());
        presets(device).setCached(earlier[slot], slot);
    }
    pedal.unreadable.insert(12);
    RefreshOutcome outcome;
    presets(device).refreshPresets({10, 5}, false, outcome.completion());
    EXPECT_EQ(outcome.wait(), false);
    for (const std::size_t slot : {10, 11}) {
        EXPECT_EQ(presets(device).cached(slot)->serialized(), pedal.presets[slot]) << slot;
    }
    for (const std::size_t slot : {12, 13, 14})
        EXPECT_EQ(presets(device).cached(slot), earlier[slot]) << slot;
    EXPECT_EQ(reads(), 3u) << "nothing is read after the failure";
    EXPECT_EQ(announced(), (std::map<std::size_t, int>{{10, 1}, {11, 1}}));
    EXPECT_EQ(outcome.calls(), 1);
}

TEST_F(RefreshTest, UnchangedSavedBytesKeepTheCachedObjectQuietly) {
    presets(device).refreshPreset(4);
    const auto cached = presets(device).cached(4);
    ASSERT_TRUE(cached);
    cached->setValue("masterVolume", 3);  // an edit in progress
    EXPECT_EQ(announced()[4], 1);

    presets(device).refreshPreset(4);
    EXPECT_EQ(presets(device).cached(4), cached);
    EXPECT_TRUE(cached->dirty()) << "the edit survives";
    pedal.presets[4][40] ^= 0x10;  // changed on the pedal
    presets(device).refreshPreset(4);
    EXPECT_NE(presets(device).cached(4), cached);
    EXPECT_EQ(announced()[4], 2) << "once for the first read, once for the change";
}

TEST_F(RefreshTest, RangesAreTakenAsEightBitSlotNumbers) {
    const struct {
        PresetStore::SlotRange range;
        std::size_t reads;
        bool result;
    } cases[] = {
        {{250, 10}, 0, true},                            // the end wraps to 4
        {{5, 0}, 0, true},     {{256 + 2, 3}, 3, true},  // slots 2, 3, 4
        {{18, 3}, 3, true},                              // slot 20 is empty, which is no failure
        {{0, 100}, 100, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.range.first) + "+" + std::to_string(c.range.count));
        auto before = reads();
        RefreshOutcome deferred;
        presets(device).refreshPresets(c.range, false, deferred.completion());
        EXPECT_EQ(deferred.wait(), c.result);
        EXPECT_EQ(reads() - before, c.reads);

        before = reads();
        RefreshOutcome immediate;
        presets(device).refreshPresets(c.range, true, immediate.completion());
        EXPECT_EQ(immediate.wait(0ms), c.result) << "on the calling thread";
        EXPECT_EQ(reads() - before, c.reads);
    }
}

TEST_F(RefreshTest, FullRefreshCoversSlotsZeroToNinetyNineOnly) {
    // A pedal with fewer slots refuses the first slot past its last: the refresh ends there.
    test::ScriptedPedal small;
    small.slots = 20;
    const auto smaller = small.bringUp();
    ASSERT_TRUE(smaller);
    smaller->setQueue(railsQueue("refresh-small"));
    RefreshOutcome outcome;
    presets(smaller).refreshAllPresets(outcome.completion());
    EXPECT_EQ(outcome.wait(), false);
    const auto codes = small.line()->commandsWritten();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), Command::READ_PRESET), 20);
}

TEST_F(RefreshTest, OnlyAMivIsRefreshed) {
    test::ScriptedPedal nax("NAX3");
    const auto other = nax.bringUp();
    ASSERT_TRUE(other);
    other->setQueue(railsQueue("refresh-nax"));
    const auto before = nax.line()->writes().size();
    RefreshOutcome deferred;
    presets(other).refreshAllPresets(deferred.completion());
    EXPECT_EQ(deferred.wait(), false);
    RefreshOutcome immediate;
    presets(other).refreshPresets({0, 3}, true, immediate.completion());
    EXPECT_EQ(immediate.wait(0ms), false);
    EXPECT_EQ(nax.line()->writes().size(), before);
}

TEST_F(RefreshTest, PausedQueueHoldsTheRefreshUntilResumed) {
    presets(device).setPaused(true);
    presets(device).setPaused(true);
    EXPECT_TRUE(presets(device).paused());
    RefreshOutcome outcome;
    presets(device).refreshPresets({0, 2}, false, outcome.completion());
    EXPECT_FALSE(outcome.wait(150ms));
    presets(device).setPaused(false);  // one resume undoes both suspensions
    EXPECT_FALSE(presets(device).paused());
    EXPECT_EQ(outcome.wait(), true);
}

TEST_F(RefreshTest, ListeningHandsTheShieldBack) {
    ShieldDelegate shielding;
    QORUARTDevice::setDelegate(&shielding);
    auto returned = shielding.returned.get_future();
    presets(device).listenForPresetUpdates();
    EXPECT_EQ(shielding.began, 1);
    ASSERT_EQ(returned.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(returned.get(), shielding.given);
    EXPECT_EQ(presets(device).cached(19)->serialized(), pedal.presets[19]);
    QORUARTDevice::setDelegate(&delegate);
}

TEST_F(RefreshTest, HistoryNavigationSkipsReadsOfEmptySlots) {
    EXPECT_FALSE(device->line().history().historicalEvent(0)) << "no history outside debug mode";
    device->line().history().enable();
    EXPECT_FALSE(device->line().history().historicalEvent(0));
    EXPECT_FALSE(device->line().history().historicalEventAfterIndexIgnoringEmptyPresets(0));
    // Positions 0..5; 2, 3 and 4 read empty slots.
    for (const std::size_t slot : {0, 1, 50, 51, 52, 2}) presets(device).read(slot);
    const auto entries = device->line().history().entries();
    ASSERT_EQ(entries.size(), 6u);
    ASSERT_TRUE(entries[3].skippable);

    const auto at = [](const std::optional<HistoryEntry>& e) {
        return e ? static_cast<int>(e->index) : -1;
    };
    EXPECT_EQ(at(device->line().history().historicalEvent(3)), 3);
    EXPECT_EQ(at(device->line().history().historicalEvent(1000)), 5);
    const struct {
        std::size_t from;
        int after;
        int before;
    } cases[] = {
        {1, 5, 0}, {5, 5, 1}, {0, 1, 0}, {3, 5, 1}, {1000, 5, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            at(device->line().history().historicalEventAfterIndexIgnoringEmptyPresets(c.from)),
            c.after)
            << c.from;
        EXPECT_EQ(
            at(device->line().history().historicalEventBeforeIndexIgnoringEmptyPresets(c.from)),
            c.before)
            << c.from;
    }

    // Nothing significant but the first: both directions fall back to it.
    device->line().history().drop();
    device->line().history().enable();
    for (const std::size_t slot : {0, 60, 61}) presets(device).read(slot);
    EXPECT_EQ(at(device->line().history().historicalEventAfterIndexIgnoringEmptyPresets(2)), 0);
    EXPECT_EQ(at(device->line().history().historicalEventBeforeIndexIgnoringEmptyPresets(0)), 0);
    device->line().history().drop();
    device->line().history().enable();
    for (const std::size_t slot : {60, 61}) presets(device).read(slot);
    EXPECT_FALSE(device->line().history().historicalEventAfterIndexIgnoringEmptyPresets(0))
        << "all skippable";
    EXPECT_EQ(at(device->line().history().historicalEvent(0)), 0) << "plain access still shows it";
}

}  // namespace
}  // namespace harbrix
