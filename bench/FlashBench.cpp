// A firmware update of a 256 KiB image against the simulated pedal paced at 2,000,000 bit/s
// with a 1 ms device latency, in both framing modes, beside the time its bytes need on the
// wire; then the peak resident memory of the process while a 4 MiB image is flashed.
// Arguments choose parts: "silence", "fast", "memory" (all three by default; the silence
// framing takes about seven minutes).
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "BenchSupport.h"
#include "support/TempDir.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr std::size_t kImageSize = 256 * 1024;
constexpr std::size_t kLargeImageSize = 4 * 1024 * 1024;
constexpr double kSuspendMs = 2000.0;
// Out and back per page: WRITE_PAGE 8+256 and 2, READ_PAGE 8 and 2+256, WRITE_FLASH 8 and 2,
// READ_FLASH 8 and 2+256.
constexpr double kPageBytes = 264 + 2 + 8 + 258 + 8 + 2 + 8 + 258;
constexpr double kExchangesPerPage = 4;

Bytes image(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
    return bytes;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

bool timeUpdate(const std::string& dir, Framing framing) {
    const char* name = framing == Framing::fast ? "fast" : "silence";
    auto simulator = startPacedSimulator(dir, framing == Framing::fast ? "FLASHF" : "FLASHS",
                                         {"--timeouts", "0,0,0,0"});
    auto device = simulator ? bringUp(*simulator, framing) : nullptr;
    if (!device) return false;
    const Bytes firmware = image(kImageSize);
    const auto start = std::chrono::steady_clock::now();
    const bool updated = device->flasher().updateFirmware(firmware);
    const double total = millisecondsSince(start);
    const double pages = kImageSize / 256.0;
    const double wire = wireMilliseconds(pages * kPageBytes);
    const double latency = pages * kExchangesPerPage * 1.0;
    std::printf("%-8s %10.0f %12.0f %10.0f %16.0f %10.2f%s\n", name, total, total - kSuspendMs,
                wire, wire + latency, (total - kSuspendMs) / (wire + latency),
                updated ? "" : "   (update FAILED)");
    return updated;
}

bool measureMemory() {
    test::Simulator simulator({"--serial", "FLASHM", "--timeouts", "0,0,0,0"});
    if (!simulator.running()) return false;
    auto device = bringUp(simulator, Framing::fast);
    if (!device) return false;
    const long before = peakKilobytes();
    const Bytes firmware = image(kLargeImageSize);
    const long loaded = peakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    const bool updated = device->flasher().updateFirmware(firmware);
    const double took = millisecondsSince(start);
    const long after = peakKilobytes();
    std::printf("\n4 MiB image (%zu pages, unpaced simulator, fast framing, %.1f s)%s\n",
                kLargeImageSize / 256, took / 1000.0, updated ? "" : "   (update FAILED)");
    std::printf(
        "peak resident memory: %ld KiB before the image, %ld KiB with it loaded, %ld KiB after "
        "flashing\n",
        before, loaded, after);
    std::printf("growth while flashing: %ld KiB\n", after - loaded);
    return updated;
}

}  // namespace

int main(int argc, char** argv) {
    std::set<std::string> parts(argv + 1, argv + argc);
    if (parts.empty()) parts = {"silence", "fast", "memory"};
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    bool good = true;
    if (parts.count("silence") || parts.count("fast")) {
        std::printf(
            "256 KiB image (1024 pages, read-back on) at 2,000,000 bit/s, 1 ms device latency\n");
        std::printf("times in ms; \"pages\" leaves out the fixed 2 s wait after SUSPENDC\n\n");
        std::printf("%-8s %10s %12s %10s %16s %10s\n", "framing", "total", "pages", "wire",
                    "wire+latency", "x (pages)");
        if (parts.count("silence")) good = timeUpdate(home.path(), Framing::silence) && good;
        if (parts.count("fast")) good = timeUpdate(home.path(), Framing::fast) && good;
    }
    if (parts.count("memory")) good = measureMemory() && good;
    return good ? 0 : 1;
}
