// harbrixctl flash FILE: writes a raw or LDR firmware image into the pedal, with a progress
// bar on a terminal and one line per whole percent otherwise. Files the pedal cannot take are
// refused before it is touched (status 2); Ctrl-C stops the flash in order. Exits 0 only when
// the update reports success.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"
#include "link/FirmwareFlash.h"
#include "link/FirmwareImage.h"
#include "platform/MainLoop.h"

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

// Ctrl-C or SIGTERM while the flash runs stops it in order: the page under way finishes and
// the pedal is told to recover, rather than the process dying with the pedal half-written.
std::atomic<FirmwareFlash*> interruptible = nullptr;

void stopOnSignal(int) {
    if (FirmwareFlash* flash = interruptible.load()) flash->stop();
    static const char kNote[] = "\nstopping after the current page...\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

class SignalsStopFlash {
  public:
    explicit SignalsStopFlash(FirmwareFlash& flash) {
        interruptible = &flash;
        struct sigaction action {};
        action.sa_handler = stopOnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &interrupt_);
        ::sigaction(SIGTERM, &action, &terminate_);
    }
    ~SignalsStopFlash() {
        ::sigaction(SIGINT, &interrupt_, nullptr);
        ::sigaction(SIGTERM, &terminate_, nullptr);
        interruptible = nullptr;
    }
    SignalsStopFlash(const SignalsStopFlash&) = delete;
    SignalsStopFlash& operator=(const SignalsStopFlash&) = delete;

  private:
    struct sigaction interrupt_ {};
    struct sigaction terminate_ {};
};

}  // namespace

int flashCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, 1);
    if (!session) return usageError(error);
    const std::string& path = session->arguments()[0];
    const auto file = bytesOfFile(path);
    if (!file) return usageError("cannot read the image file \"" + path + "\"");
    // Refused before the pedal is even brought up.
    if (const auto refusal = flashableImage(*file).refusal; refusal != ImageRefusal::none)
        return usageError("\"" + path + "\": " + refusalText(refusal));

    if (const int status = runBroughtUp(*session, line, [](QORUARTDevice&) { return 0; }))
        return status;
    FlashProgress progress;
    std::optional<FirmwareFlash::Outcome> outcome;
    const auto flash = FirmwareFlash::start(
        session->device(), *file, [&progress](double percent) { progress.show(percent); },
        [&outcome](FirmwareFlash::Outcome ended) {
            outcome = ended;
            MainLoop::quit();
        });
    if (!flash) return fail(kPedalFailed, "the firmware update could not start");
    {
        SignalsStopFlash signals(*flash);
        MainLoop::run();
    }
    progress.finish();
    using Outcome = FirmwareFlash::Outcome;
    const Outcome ended = outcome.value_or(Outcome::gone);
    const std::string text = FirmwareFlash::outcomeText(ended);
    if (ended != Outcome::written) {
        // The pedal restarts either way; the command ends once it is back.
        if (FirmwareFlash::restarts(ended)) session->run([](QORUARTDevice&) { return 0; });
        return fail(kPedalFailed, text);
    }
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    // Behind the restart the flash left on the pedal's queue.
    return session->run([](QORUARTDevice& device) {
        if (device.lost())
            return fail(kPedalFailed, "the pedal did not answer again after the update");
        return pedalIsBack(device);
    });
}

}  // namespace harbrix::ctl
