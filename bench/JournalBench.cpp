// What the journal costs a slot operation: the time its entry adds (written and synced before
// the first request, ended after the last), beside one exchange with the simulated pedal at
// the default framing; and how large the file grows. Entries of a Move (two slots) and of a
// factory reset (a hundred), on an empty journal and on one at its 500-entry bound, where
// every new entry also trims the file.
//
// Then what the user waits for: a Move and a delete of 10 slots against the simulated pedal,
// with the entry taken from the cache as it once was, and as now, with every slot the change
// overwrites or erases read from the pedal first; at the default framing and the fast one.
// And what opening the Edit menu costs with a journal at its 8 MiB bound.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "devices/Journal.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "devices/SlotContents.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"
#include "transfers/JournaledTransfers.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr int kEntries = 500;
constexpr int kTimed = 50;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<SlotChange> moveEntry(int seed) {
    const auto bytes =
        test::presetBytes("Bench " + std::to_string(seed), static_cast<std::uint8_t>(seed));
    return {{static_cast<std::size_t>(seed % 100), {}, bytes},
            {static_cast<std::size_t>((seed + 1) % 100), bytes, {}}};
}

std::vector<SlotChange> resetEntry(int seed) {
    std::vector<SlotChange> slots;
    for (std::size_t slot = 0; slot < 100; ++slot)
        slots.push_back({slot, test::presetBytes("Mine", static_cast<std::uint8_t>(seed + slot)),
                         std::nullopt});
    return slots;
}

struct EntryTime {
    double before;  // begun: on disk before the operation's first request
    double whole;   // begun and ended
};

EntryTime entryTime(Journal& journal, const std::vector<SlotChange>& slots, const char* operation) {
    std::set<std::size_t> changed;
    for (const SlotChange& change : slots) changed.insert(change.slot);
    const auto start = std::chrono::steady_clock::now();
    const auto number = journal.begin(operation, slots);
    const double before = millisecondsSince(start);
    if (!number || !journal.finish(*number, changed)) {
        std::fprintf(stderr, "journal write failed\n");
        std::exit(1);
    }
    return {before, millisecondsSince(start)};
}

struct Times {
    std::vector<double> before;
    std::vector<double> whole;
    void add(const EntryTime& time) {
        before.push_back(time.before);
        whole.push_back(time.whole);
    }
};

// Median time of one READ_PRESET exchange at the default framing.
double exchangeTime(const std::string& home) {
    auto simulator = startPacedSimulator(home, "JOURNAL");
    auto device = simulator ? bringUp(*simulator, Framing::silence) : nullptr;
    if (!device) std::exit(1);
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!presets(device).read(static_cast<std::size_t>(i))) std::exit(1);
        times.push_back(millisecondsSince(start));
    }
    return median(times);
}

// ---- What the user waits for

constexpr std::size_t kDeleted = 10;
constexpr int kRounds = 10;

SlotBytes cachedBytes(const QORUARTDevice& device, std::size_t slot) {
    return SlotContents::of(*presets(device).cached(slot));
}

// As the change was made before every slot was read first: its entry from the cache.
void moveFromCache(QORUARTDevice& device, Journal& journal, std::size_t from, std::size_t to) {
    const SlotBytes moved = cachedBytes(device, from);
    const auto number = journal.begin("Move", {{to, {}, moved}, {from, moved, {}}});
    PresetTransfers::runMove(device, presets(device).cached(from)->copy(), from, to);
    if (number) journal.finish(*number, {from, to});
}

void eraseFromCache(QORUARTDevice& device, Journal& journal,
                    const std::vector<std::size_t>& slots) {
    std::vector<SlotChange> changes;
    for (const std::size_t slot : slots) changes.push_back({slot, cachedBytes(device, slot), {}});
    const auto number = journal.begin("Delete", changes);
    PresetTransfers::runErase(device, slots);
    if (number) journal.finish(*number, {slots.begin(), slots.end()});
}

struct Wait {
    double move;
    double erase;
};

// Median milliseconds of a Move back and forth between two slots, and of a delete of ten
// slots filled again (untimed) after each round.
Wait userWait(QORUARTDevice& device, bool readFirst) {
    const auto journal = Journal::forDevice(device);
    std::vector<double> moves;
    std::vector<double> erasures;
    std::vector<std::size_t> slots;
    std::vector<PresetTransfers::StagedWrite> refill;
    for (std::size_t slot = 20; slot < 20 + kDeleted; ++slot) {
        slots.push_back(slot);
        refill.push_back({slot, presets(device).cached(slot)->copy()});
    }
    for (int round = 0; round < kRounds; ++round) {
        const std::size_t from = round % 2 == 0 ? 98 : 99;
        const std::size_t to = 197 - from;
        auto start = std::chrono::steady_clock::now();
        if (readFirst)
            JournaledTransfers::move(device, presets(device).cached(from)->copy(), from, to);
        else
            moveFromCache(device, *journal, from, to);
        moves.push_back(millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        if (readFirst)
            JournaledTransfers::erase(device, slots);
        else
            eraseFromCache(device, *journal, slots);
        erasures.push_back(millisecondsSince(start));
        PresetTransfers::runWrite(device, refill);
    }
    return {median(moves), median(erasures)};
}

void userWaits(const std::string& home) {
    std::printf(
        "\nWhat the user waits for, medians of %d rounds in milliseconds: the entry taken from\n"
        "the cache (before), and every slot the change overwrites or erases read first (now).\n\n",
        kRounds);
    std::printf("%-9s %-16s %9s %9s %9s %9s\n", "framing", "operation", "before", "now", "added",
                "reads");
    for (const auto& [framing, name] :
         {std::pair{Framing::silence, "default"}, std::pair{Framing::fast, "fast"}}) {
        auto simulator = startPacedSimulator(home, std::string("WAIT") + name);
        auto device = simulator ? bringUp(*simulator, framing) : nullptr;
        if (!device) std::exit(1);
        presets(device).refreshPresets({0, 100}, true);
        if (!presets(device).erase(99)) std::exit(1);
        const Wait before = userWait(*device, false);
        const Wait now = userWait(*device, true);
        std::printf("%-9s %-16s %9.1f %9.1f %9.1f %9d\n", name, "Move", before.move, now.move,
                    now.move - before.move, 2);
        std::printf("%-9s %-16s %9.1f %9.1f %9.1f %9zu\n", name, "Delete, 10 slots", before.erase,
                    now.erase, now.erase - before.erase, kDeleted);
    }
}

// ---- Opening the Edit menu

void menuTimes(const std::string& home) {
    const std::string path = home + "/menu/MIV3-MENU.jsonl";
    Journal journal(path);
    // Factory-reset-sized entries past the size bound: trimmed, the file stays near 8 MiB.
    for (int i = 0; i < 420; ++i) entryTime(journal, resetEntry(i), "Factory Reset");
    const auto size = std::filesystem::file_size(path);

    constexpr int kOpenings = 10000;
    std::vector<double> memory;
    for (int i = 0; i < kOpenings; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const JournalTitles titles = journal.titles();
        memory.push_back(millisecondsSince(start));
        if (titles.undo.empty()) std::exit(1);
    }
    // What each opening did before: eight rounds of the file's lock and a reading.
    std::vector<double> rounds;
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        for (int round = 0; round < 4; ++round) {
            journal.undoable();
            journal.redoable();
        }
        rounds.push_back(millisecondsSince(start));
    }
    // And after another process had rewritten the file (a trim): the whole file read again.
    std::vector<double> rereads;
    for (int i = 0; i < 5; ++i) {
        Journal fresh(path);
        const auto start = std::chrono::steady_clock::now();
        fresh.undoable();
        rereads.push_back(millisecondsSince(start));
    }
    std::printf("\nOpening the Edit menu, journal of %ju bytes (%zu entries):\n",
                static_cast<std::uintmax_t>(size), journal.entries().size());
    std::printf("  now, the titles from memory:     %9.4f ms median, %.4f ms the slowest of %d\n",
                median(memory), *std::max_element(memory.begin(), memory.end()), kOpenings);
    std::printf("  before, 8 lock-and-read rounds:  %9.3f ms median\n", median(rounds));
    std::printf("  before, after another process rewrote the file: %.1f ms median\n",
                median(rereads));
}

}  // namespace

int main() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    const double exchange = exchangeTime(home.path());
    std::printf("One READ_PRESET exchange at the default framing: %.1f ms (median of 10)\n\n",
                exchange);
    std::printf(
        "Milliseconds an entry adds: before the first request, and in all (begun and\n"
        "ended); medians of %d entries, the slowest in brackets.\n\n",
        kTimed);
    std::printf("%-14s %-9s %9s %9s %10s %10s %9s %12s\n", "entry", "journal", "before", "(max)",
                "all", "(max)", "x exch.", "file (bytes)");
    const struct {
        const char* name;
        const char* operation;
        std::vector<SlotChange> (*slots)(int);
    } kinds[] = {{"Move, 2 slots", "Move", moveEntry}, {"Reset, 100", "Factory Reset", resetEntry}};
    for (const auto& kind : kinds) {
        const std::string path = home.file(std::string(kind.operation) + ".jsonl");
        Journal journal(path);
        Times empty;
        for (int i = 1; i <= kEntries; ++i) {
            const EntryTime time = entryTime(journal, kind.slots(i), kind.operation);
            if (i <= kTimed) empty.add(time);
        }
        const auto full = std::filesystem::file_size(path);
        Times bounded;
        for (int i = 0; i < kTimed; ++i)
            bounded.add(entryTime(journal, kind.slots(kEntries + i), kind.operation));
        const auto size = std::filesystem::file_size(path);
        const auto row = [&](const char* journalState, const Times& times, const char* bytes) {
            const double all = median(times.whole);
            std::printf("%-14s %-9s %9.2f %9.2f %10.2f %10.2f %9.3f %12s\n", kind.name,
                        journalState, median(times.before),
                        *std::max_element(times.before.begin(), times.before.end()), all,
                        *std::max_element(times.whole.begin(), times.whole.end()), all / exchange,
                        bytes);
        };
        row("new", empty, "");
        row("at bound", bounded, std::to_string(size).c_str());
        std::printf("%-14s after %d entries: %ju bytes, %zu entries kept\n", kind.name, kEntries,
                    static_cast<std::uintmax_t>(full), Journal(path).entries().size());
    }
    userWaits(home.path());
    menuTimes(home.path());
    return 0;
}
