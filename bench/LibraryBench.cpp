// The preset library at the size of a long-time user's: 10,000 presets, a few tags and notes
// among them. What a search costs as the user types a word (each prefix in turn, limited to a
// list's worth of results as the window asks), what keeping a snapshot of a full pedal costs,
// and how large the database grows.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "library/Library.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"

using namespace harbrix;

namespace {

constexpr int kPresets = 10000;
constexpr int kSnapshots = 50;
constexpr int kRepeats = 20;

const std::vector<std::string> kFirst = {"Warm", "Bright", "Dark",  "Octave", "Fifth", "Shimmer",
                                         "Wide", "Deep",   "Clean", "Dirty",  "Lead",  "Rhythm"};
const std::vector<std::string> kSecond = {"Lead",   "Pad",    "Solo", "Drone", "Harmony", "Detune",
                                          "Whammy", "Chorus", "Bass", "Choir", "Swell"};

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Bytes presetNumbered(int number) {
    const std::string name = kFirst[static_cast<std::size_t>(number) % kFirst.size()] + " " +
                             kSecond[static_cast<std::size_t>(number / 7) % kSecond.size()] + " " +
                             std::to_string(number);
    Bytes bytes = test::presetBytes(name, static_cast<std::uint8_t>(number));
    // Content of its own for every number, beyond what the name and seed give.
    bytes[100] = static_cast<std::uint8_t>(number);
    bytes[101] = static_cast<std::uint8_t>(number >> 8);
    return bytes;
}

std::string nameOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.begin() + 24);
}

long long fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

}  // namespace

int main() {
    test::TempDir dir("bench-library");
    const std::string path = dir.file("library.sqlite3");
    auto opening = Library::open(path);
    if (!opening.library) {
        std::fprintf(stderr, "library: %s\n", opening.problem.c_str());
        return 1;
    }
    Library& library = *opening.library;
    const auto filling = std::chrono::steady_clock::now();
    for (int number = 0; number < kPresets; ++number) {
        const Bytes bytes = presetNumbered(number);
        const auto id = library.collect("MIV3", bytes, nameOf(bytes),
                                        {"BENCH1", static_cast<std::size_t>(number % 100), {}});
        if (!id) {
            std::fprintf(stderr, "collect: %s\n", id.problem.c_str());
            return 1;
        }
        if (number % 10 == 0) library.tag(*id, {number % 20 == 0 ? "ambient" : "live"});
        if (number % 50 == 0)
            library.setNote(*id, "for the bridge of song " + std::to_string(number));
    }
    std::printf("library: %d presets kept in %.0f ms\n\n", kPresets, millisecondsSince(filling));

    std::printf("search as the user types (median of %d, at most 500 results)\n", kRepeats);
    std::printf("%-10s %8s %10s\n", "typed", "results", "ms");
    double slowest = 0;
    for (const char* typed : {"s", "sh", "shi", "shim", "shimmer", "shimmer d", "shimmer dr", "a",
                              "am", "amb", "bri", "bridge 4"}) {
        std::vector<double> times;
        std::size_t results = 0;
        for (int repeat = 0; repeat < kRepeats; ++repeat) {
            const auto start = std::chrono::steady_clock::now();
            const auto found = library.search({.text = typed, .limit = 500});
            times.push_back(millisecondsSince(start));
            results = found ? found->size() : 0;
        }
        slowest = std::max(slowest, median(times));
        std::printf("%-10s %8zu %10.2f\n", typed, results, median(times));
    }
    std::printf("slowest median: %.2f ms (target under 16 ms)\n\n", slowest);

    // A full pedal in which a few slots change between snapshots, as between connections.
    std::vector<double> times;
    for (int round = 0; round < kSnapshots; ++round) {
        std::vector<SlotPreset> slots;
        for (std::size_t slot = 0; slot < 100; ++slot) {
            const int number = static_cast<int>(slot) + (slot < 5 ? kPresets + round * 5 : 0);
            const Bytes bytes = presetNumbered(number);
            slots.push_back({slot, bytes, nameOf(bytes)});
        }
        const auto start = std::chrono::steady_clock::now();
        const auto record = library.recordSnapshot("MIV3", "BENCH1", 100, slots);
        times.push_back(millisecondsSince(start));
        if (!record || !record->stored) {
            std::fprintf(stderr, "snapshot: %s\n", record.problem.c_str());
            return 1;
        }
    }
    std::printf(
        "snapshot of 100 slots: median %.2f ms, slowest %.2f ms over %d (target under 20 ms)\n\n",
        median(times), *std::max_element(times.begin(), times.end()), kSnapshots);

    opening.library.reset();  // the last connection folds the write-ahead log into the file
    const long long bytes = fileSize(path) + fileSize(path + "-wal");
    std::printf("database: %.2f MB for %d presets and %d snapshots (target under 10 MB)\n",
                static_cast<double>(bytes) / 1e6, kPresets, kSnapshots);
    return 0;
}
