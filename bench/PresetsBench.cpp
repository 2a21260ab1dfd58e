// A full 100-slot preset refresh against the simulated pedal paced at 2,000,000 bit/s with a
// 1 ms device latency, in both framing modes: on the calling thread (the initial
// synchronisation's way) and deferred behind the pedal's queue (a full refresh's way), beside
// the time the same bytes need on the wire.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <vector>

#include "BenchSupport.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "platform/MainLoop.h"
#include "support/TempDir.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr int kRuns = 3;
constexpr std::size_t kSlots = 100;
constexpr double kExchangeBytes = 8 + 2 + 104;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One refresh on the calling thread; false when a slot failed to read.
bool immediateRefresh(QORUARTDevice& device) {
    bool everySlotRead = false;
    presets(device).refreshPresets({0, kSlots}, true, [&](bool result) { everySlotRead = result; });
    return everySlotRead;
}

// One deferred refresh, with this thread as the main rail until it reports.
bool deferredRefresh(QORUARTDevice& device) {
    bool everySlotRead = false;
    presets(device).refreshAllPresets([&](bool result) {
        everySlotRead = result;
        rail(Rails::main(), [] { MainLoop::quit(); });
    });
    MainLoop::run();
    return everySlotRead;
}

}  // namespace

int main() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    const double wire = wireMilliseconds(kExchangeBytes * kSlots);
    std::printf("Full refresh of %zu slots at 2,000,000 bit/s, 1 ms device latency, median of %d\n",
                kSlots, kRuns);
    std::printf("wire time (%g bytes): %.1f ms; with the latency: %.1f ms\n\n",
                kExchangeBytes * kSlots, wire, wire + kSlots * 1.0);
    std::printf("%-8s %-10s %14s %16s\n", "framing", "path", "refresh (ms)", "x wire+latency");
    int status = 0;
    for (const Framing framing : {Framing::silence, Framing::fast}) {
        auto simulator =
            startPacedSimulator(home.path(), framing == Framing::fast ? "PRESETF" : "PRESETS");
        auto device = simulator ? bringUp(*simulator, framing) : nullptr;
        if (!device) return 1;
        device->setQueue(railsQueue("bench-presets"));
        const struct {
            const char* name;
            bool (*refresh)(QORUARTDevice&);
        } paths[] = {{"immediate", immediateRefresh}, {"deferred", deferredRefresh}};
        for (const auto& path : paths) {
            std::vector<double> times;
            for (int run = 0; run < kRuns; ++run) {
                const auto start = std::chrono::steady_clock::now();
                if (!path.refresh(*device)) status = 1;
                times.push_back(millisecondsSince(start));
            }
            const double ms = median(times);
            std::printf("%-8s %-10s %14.1f %16.1f\n", framing == Framing::fast ? "fast" : "silence",
                        path.name, ms, ms / (wire + kSlots * 1.0));
        }
        if (!presets(device).cached(kSlots - 1)) status = 1;
    }
    if (status) std::printf("\nsome refreshes did not read every slot\n");
    return status;
}
