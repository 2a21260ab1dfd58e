// A long random run of changes made in this process, each journaled as the screens journal
// theirs, then undone to the last byte.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/JournaledWrites.h"
#include "devices/Preset.h"
#include "support/JournaledOperations.h"
#include "support/JournaledPedal.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

using nlohmann::json;
using JournalEndToEnd = test::JournaledPedal;

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
