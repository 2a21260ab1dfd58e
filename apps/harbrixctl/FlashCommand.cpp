// harbrixctl flash FILE: writes a raw or LDR firmware image into the pedal, with a progress
// bar on a terminal and one line per whole percent otherwise. Exits 0 only when the update
// reports success.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"
#include "link/Commands.h"
#include "link/FirmwareImage.h"
#include "link/Request.h"

namespace harbrix::ctl {
namespace {

constexpr int kBarWidth = 40;

// Runs on the main rail, in the order the update reports.
class FlashProgress {
  public:
    FlashProgress() : terminal_(::isatty(STDOUT_FILENO) != 0) {}

    void show(double percent) {
        const int whole = static_cast<int>(std::floor(percent));
        if (whole == shown_) return;
        shown_ = whole;
        if (!terminal_) {
            std::printf("%d%%\n", whole);
        } else {
            const int filled = whole * kBarWidth / 100;
            std::printf("\rflashing [%s%s] %3d%%", std::string(filled, '#').c_str(),
                        std::string(kBarWidth - filled, '-').c_str(), whole);
            if (whole == 100) std::printf("\n");
        }
        std::fflush(stdout);
    }

    // Ends an unfinished bar's line so a message can follow.
    void finish() {
        if (terminal_ && shown_ >= 0 && shown_ < 100) std::printf("\n");
    }

  private:
    bool terminal_;
    int shown_ = -1;
};

// After its update the pedal restarts at its boot speed, on the same node as far as the
// node's file number goes. Once it no longer answers at our speed, forget that it was
// switched, so the next session tells it to switch again.
void forgetSpeedWhenRestarted(QORUARTDevice& device) {
    const auto request = buildRequest(Command::WHO_RU, 0, 0, 0);
    if (request && device.execute(Command::WHO_RU, *request)) return;
    device.setFilenumber(0);
}

}  // namespace

int flashCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, 1);
    if (!session) return usageError(error);
    const std::string& path = session->arguments()[0];
    const auto image = bytesOfFile(path);
    if (!image) return usageError("cannot read the image file \"" + path + "\"");
    if (image->empty()) return usageError("the image file \"" + path + "\" is empty");
    if (isLDR(*image) && !dataFromLDR(*image))
        return usageError("\"" + path + "\" starts as LDR text but holds no firmware image");

    FlashProgress progress;
    return runBroughtUp(*session, line, [&](QORUARTDevice& device) {
        const bool updated =
            device.updateFirmware(*image, [&progress](double percent) { progress.show(percent); });
        forgetSpeedWhenRestarted(device);
        // After the progress reports, which are still on their way to the main rail.
        rail(Rails::main(), [&progress, updated] {
            progress.finish();
            if (updated)
                std::printf("firmware written; the pedal is restarting\n");
            else
                fail(kPedalFailed, "the firmware update failed");
        });
        return updated ? 0 : kPedalFailed;
    });
}

}  // namespace harbrix::ctl
