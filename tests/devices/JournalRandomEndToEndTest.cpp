// Two hundred random changes made as the screens make theirs, while the pedal's owner saves
// presets on the pedal itself and the journal's folder now and then cannot be written; then
// every change undone. After each change either the journal's newest entry says exactly what
// the pedal did, or nothing was sent. In the end the pedal holds what it held at the start,
// but for the slots its owner saved, which hold what the pedal wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "support/JournaledOperations.h"
#include "support/JournaledPedal.h"
#include "support/ScriptedPedal.h"
#include "transfers/JournaledTransfers.h"

namespace harbrix {
namespace {

using nlohmann::json;

class JournalRandomEndToEnd : public test::JournaledPedal {
  protected:
    std::string ownerFile() const { return files.file("owner-saves"); }
    std::string recordPath() const { return files.file("requests"); }

    // The slot's bytes as hexadecimal, empty for an empty slot.
    static std::string held(const json& presets, std::size_t slot) {
        const auto it = presets.find(std::to_string(slot));
        return it == presets.end() ? std::string() : it->get<std::string>();
    }
    // Writes and erasures the pedal has received.
    std::size_t changesSent() const {
        std::istringstream lines(test::readText(recordPath()));
        std::size_t count = 0;
        for (std::string line; std::getline(lines, line);)
            count += line.rfind("WRITE_PRESET ", 0) == 0 || line.rfind("ERASE_PRESET ", 0) == 0;
        return count;
    }
    // The owner saves the slot on the pedal; it lands before the pedal answers the next
    // request, and is in the state file once that answer is in.
    void saveOnPedal(QORUARTDevice& device, std::size_t slot) {
        test::writeText(ownerFile() + ".new", std::to_string(slot + 1) + "\n");
        std::filesystem::rename(ownerFile() + ".new", ownerFile());
        ASSERT_TRUE(harbrix::presets(device).isloaded());
        ASSERT_FALSE(std::filesystem::exists(ownerFile()));
    }
};

TEST_F(JournalRandomEndToEnd, TwoHundredRandomChangesUndoneLeaveThePedalAsItWas) {
    std::map<std::size_t, Bytes> presets;
    for (std::size_t slot = 0; slot < 6; ++slot)
        presets[slot] =
            test::presetBytes("Start " + std::to_string(slot), static_cast<std::uint8_t>(slot));
    start(presets, {"--owner-file", ownerFile(), "--record", recordPath()});
    json expected = storedPresets();
    // The changes reach further as the run goes on, so the owner's saves, which only go to
    // slots no entry has touched yet, keep coming and keep being run into.
    constexpr std::size_t kSlots = 24;
    constexpr int kChanges = 200;

    onPedal([&](QORUARTDevice& device) {
        harbrix::presets(device).refreshPresets({0, kSlots}, true);
        const auto journal = Journal::forDevice(device);
        std::mt19937 random(17);
        auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        auto cached = [&](std::size_t slot) { return harbrix::presets(device).cached(slot); };
        bool broken = false;
        std::set<std::size_t> saved;  // by the owner, on the pedal itself
        for (int made = 0; made < kChanges; ++made) {
            SCOPED_TRACE("change " + std::to_string(made));
            if (pick(8) == 0) {
                broken ? mendJournal() : breakJournal();
                broken = !broken;
            }
            // Undoing an entry older than a save would have to overwrite it, so the owner
            // saves only slots no entry has touched yet.
            std::set<std::size_t> touched;
            for (const JournalEntry& entry : journal->entries())
                for (const SlotChange& change : entry.slots) touched.insert(change.slot);
            std::vector<std::size_t> untouched;
            for (std::size_t slot = 0; slot < kSlots; ++slot)
                if (!touched.count(slot)) untouched.push_back(slot);
            if (!untouched.empty() && pick(6) == 0) {
                const std::size_t slot = untouched[pick(untouched.size())];
                saveOnPedal(device, slot);
                saved.insert(slot);
                expected[std::to_string(slot)] = held(storedPresets(), slot);
            }

            const std::size_t reach = std::min<std::size_t>(kSlots, 8 + made / 10);
            std::vector<std::size_t> full;
            for (std::size_t slot = 0; slot < reach; ++slot)
                if (!cached(slot)->empty()) full.push_back(slot);
            const std::size_t a = full.empty() ? 0 : full[pick(full.size())];
            std::size_t b = pick(reach);
            if (b == a) b = (b + 1) % reach;
            // A change that only fills empty slots goes ahead without its entry, since it
            // cannot lose a preset, and Undo could not go past it: left out while the journal
            // cannot be written.
            const bool fillsOnly = cached(b)->empty();
            const json before = storedPresets();
            const std::size_t sent = changesSent();
            const std::size_t entries = journal->entries().size();
            bool done = false;
            switch (full.empty() ? 5 : pick(6)) {
                case 0:
                case 1:
                    done =
                        fillsOnly
                            ? JournaledTransfers::move(device, cached(a)->copy(), a, b).succeeded()
                            : JournaledTransfers::swap(device, cached(a)->copy(), cached(b)->copy(),
                                                       a, b)
                                  .succeeded();
                    break;
                case 2:
                    if (broken && fillsOnly) continue;
                    done = JournaledTransfers::copy(device, cached(a)->copy(), b, !fillsOnly)
                               .succeeded();
                    break;
                case 3:
                    done = JournaledTransfers::erase(device, {a, b}).succeeded();
                    break;
                case 4:
                    done = test::journaledRename(device, a, "Renamed " + std::to_string(made));
                    break;
                default: {
                    if (broken && fillsOnly) continue;
                    const auto file = Preset::presetWithSerialized(test::presetBytes(
                        "New " + std::to_string(made), static_cast<std::uint8_t>(made)));
                    done = JournaledTransfers::write(device, {{b, file}}).succeeded();
                }
            }
            ASSERT_TRUE(
                harbrix::presets(device).isloaded());  // the pedal's state file is written by now
            const json after = storedPresets();
            if (journal->entries().size() == entries) {
                EXPECT_FALSE(done);
                EXPECT_EQ(changesSent(), sent) << "refused, yet something was sent";
                EXPECT_EQ(after, before);
                continue;
            }
            ASSERT_TRUE(done);
            ASSERT_EQ(journal->entries().size(), entries + 1);
            const JournalEntry entry = journal->entries().back();
            ASSERT_TRUE(entry.finished());
            for (std::size_t slot = 0; slot < kSlots; ++slot) {
                const SlotChange* change = entry.change(slot);
                if (!change || !entry.changed->count(slot)) {
                    EXPECT_EQ(held(after, slot), held(before, slot)) << "slot " << slot;
                    continue;
                }
                EXPECT_EQ(hexText(change->before), held(before, slot)) << "slot " << slot;
                ASSERT_TRUE(change->after);
                EXPECT_EQ(hexText(*change->after), held(after, slot)) << "slot " << slot;
            }
        }
        if (broken) mendJournal();
        EXPECT_FALSE(saved.empty());

        JournalUndo undo(device, journal);
        for (std::size_t i = 0; i < journal->entries().size(); ++i) {
            const auto result = undo.undo();
            ASSERT_TRUE(result.succeeded()) << i << ": " << result.message;
        }
        EXPECT_FALSE(journal->undoable());
    });
    EXPECT_EQ(storedPresets(), expected);
}

}  // namespace
}  // namespace harbrix
