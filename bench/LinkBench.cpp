// One READ_PRESET exchange and 100 in a row against the simulated pedal paced at
// 2,000,000 bit/s with a 1 ms device latency, in both framing modes, beside the time the
// same bytes need on the wire.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "link/Commands.h"
#include "link/Request.h"
#include "support/TempDir.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr int kSingleRuns = 15;
constexpr double kExchangeBytes = 8 + 2 + 104;

bool readPreset(QORUARTDevice& device, int slot) {
    const auto request = buildRequest(Command::READ_PRESET, 0, 104, static_cast<std::uint32_t>(slot));
    const auto reply = device.execute(Command::READ_PRESET, *request);
    return reply && reply->error == 0 && reply->data.size() == 104;
}

}  // namespace

int main() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    const double wire = wireMilliseconds(kExchangeBytes);
    std::printf("READ_PRESET at 2,000,000 bit/s, 1 ms device latency\n");
    std::printf("wire time of one exchange (%g bytes): %.3f ms; with the latency: %.3f ms\n\n", kExchangeBytes, wire,
                wire + 1.0);
    std::printf("%-8s %18s %18s %14s\n", "framing", "one exchange (ms)", "100 presets (ms)", "x wire+latency");
    int status = 0;
    for (const Framing framing : {Framing::silence, Framing::fast}) {
        auto simulator = startPacedSimulator(home.path(), framing == Framing::fast ? "BENCHF" : "BENCHS");
        auto device = simulator ? bringUp(*simulator, framing) : nullptr;
        if (!device) return 1;
        std::vector<double> singles;
        for (int i = 0; i < kSingleRuns; ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (!readPreset(*device, i % 100)) status = 1;
            singles.push_back(millisecondsSince(start));
        }
        std::sort(singles.begin(), singles.end());
        const auto start = std::chrono::steady_clock::now();
        for (int slot = 0; slot < 100; ++slot)
            if (!readPreset(*device, slot)) status = 1;
        const double hundred = millisecondsSince(start);
        std::printf("%-8s %18.2f %18.1f %14.1f\n", framing == Framing::fast ? "fast" : "silence",
                    singles[singles.size() / 2], hundred, hundred / (100 * (wire + 1.0)));
    }
    if (status) std::printf("\nsome exchanges failed\n");
    return status;
}
