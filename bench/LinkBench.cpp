// The three reply framings side by side against the simulated pedal paced at 2,000,000 bit/s
// with a 1 ms device latency: reading 100 presets, connecting a pedal whose 100 slots are all
// occupied (bring-up and reading every slot), and flashing a 256 KiB image; each figure with
// its ratio to the silence rule's. The silence rule's flash takes about seven minutes.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "BenchSupport.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "link/Request.h"
#include "support/TempDir.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr std::size_t kSlots = 100;
constexpr std::size_t kImageSize = 256 * 1024;
const Framing kFramings[] = {Framing::silence, Framing::guarded, Framing::fast};

struct Figures {
    double presets = 0;
    double connect = 0;
    double flash = 0;
    bool good = true;
    bool fellBack = false;
};

bool readPresets(QORUARTDevice& device) {
    bool good = true;
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        const auto request =
            buildRequest(Command::READ_PRESET, 0, 104, static_cast<std::uint32_t>(slot));
        const auto reply = device.execute(Command::READ_PRESET, *request);
        good = good && reply && reply->error == 0 && reply->data.size() == 104;
    }
    return good;
}

Figures measure(const std::string& dir, Framing framing) {
    Figures figures;
    const std::string serial = std::string("LINK") + framingName(framing);
    auto simulator = startPacedSimulator(dir, serial, {"--timeouts", "0,0,0,0"});
    if (!simulator) return Figures{0, 0, 0, false, false};
    auto start = std::chrono::steady_clock::now();
    auto device = bringUp(*simulator, framing);
    bool everySlotRead = false;
    if (device)
        presets(*device).refreshPresets({0, kSlots}, true,
                                        [&](bool read) { everySlotRead = read; });
    figures.connect = millisecondsSince(start);
    if (!device || !everySlotRead) return Figures{0, 0, 0, false, false};

    start = std::chrono::steady_clock::now();
    figures.good = readPresets(*device);
    figures.presets = millisecondsSince(start);

    Bytes image(kImageSize);
    for (std::size_t i = 0; i < kImageSize; ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
    start = std::chrono::steady_clock::now();
    figures.good = device->flasher().updateFirmware(image) && figures.good;
    figures.flash = millisecondsSince(start);
    figures.fellBack = device->line().framingNow() != framing;
    return figures;
}

void printRow(const char* what, const std::map<Framing, Figures>& all, double Figures::*field) {
    std::printf("%-16s", what);
    const double silence = all.at(Framing::silence).*field;
    for (const Framing framing : kFramings) {
        const double value = all.at(framing).*field;
        std::printf(" %10.0f ms (%5.3f)", value, silence > 0 ? value / silence : 0.0);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    std::printf(
        "2,000,000 bit/s, 1 ms device latency; each figure with its ratio to the silence rule\n");
    std::printf("(a 256 KiB flash includes the fixed 2 s wait after SUSPENDC)\n\n");
    std::printf("%-16s", "");
    for (const Framing framing : kFramings) std::printf(" %21s", framingName(framing));
    std::printf("\n");
    std::map<Framing, Figures> all;
    for (const Framing framing : kFramings) all[framing] = measure(home.path(), framing);
    printRow("100 presets", all, &Figures::presets);
    printRow("connect (full)", all, &Figures::connect);
    printRow("256 KiB flash", all, &Figures::flash);
    int status = 0;
    for (const Framing framing : kFramings) {
        if (!all[framing].good) {
            std::printf("%s: some exchanges failed\n", framingName(framing));
            status = 1;
        }
        if (all[framing].fellBack)
            std::printf("%s: fell back to the silence rule\n", framingName(framing));
    }
    return status;
}
