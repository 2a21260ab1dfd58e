// What the journal costs a slot operation: the time its entry adds (written and synced before
// the first request, ended after the last), beside one exchange with the simulated pedal at
// the default framing; and how large the file grows. Entries of a Move (two slots) and of a
// factory reset (a hundred), on an empty journal and on one at its 500-entry bound, where
// every new entry also trims the file.
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
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"

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
        if (!device->preset(static_cast<std::size_t>(i))) std::exit(1);
        times.push_back(millisecondsSince(start));
    }
    return median(times);
}

}  // namespace

int main() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
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
    return 0;
}
