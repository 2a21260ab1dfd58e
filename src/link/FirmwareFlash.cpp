// The running list, the work on the pedal's queue and the outcome on the main rail.
#include "link/FirmwareFlash.h"

#include <mutex>
#include <vector>

#include "link/PedalRestart.h"
#include "link/Rails.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

// The flashes that have not delivered their outcome, and who waits for none to be left.
struct Running {
    std::mutex mutex;
    std::vector<std::shared_ptr<FirmwareFlash>> flashes;
    std::vector<std::function<void()>> waiters;
};

Running& runningFlashes() {
    // Never destroyed: a flash may still end on its pedal's queue while the program exits.
    static Running* list = new Running;
    return *list;
}

// The flash's place on the pedal's queue. A queue stopped for good (the pedal was unplugged)
// drops its pending blocks unrun; the flash then still ends, as one whose pedal went.
struct QueuedFlash {
    std::shared_ptr<FirmwareFlash> flash;
    std::function<void()> gone;
    bool ran = false;
    ~QueuedFlash() {
        if (!ran) gone();
    }
};

}  // namespace

std::shared_ptr<FirmwareFlash> FirmwareFlash::start(const DeviceRef& device, const Bytes& file,
                                                    Progress progress, Completion completion,
                                                    ImageRefusal* refusal) {
    FlashableImage image = flashableImage(file);
    if (refusal != nullptr) *refusal = image.refusal;
    if (image.refusal != ImageRefusal::none) {
        logFormat("firmware image refused: %s", refusalText(image.refusal).c_str());
        return nullptr;
    }
    if (!device || !device->queue()) return nullptr;

    std::shared_ptr<FirmwareFlash> flash(new FirmwareFlash);
    flash->completion_ = std::move(completion);
    {
        std::lock_guard lock(runningFlashes().mutex);
        runningFlashes().flashes.push_back(flash);
    }
    auto queued = std::make_shared<QueuedFlash>();
    queued->flash = flash;
    queued->gone = [flash] { rail(Rails::main(), [flash] { flash->finish(Outcome::gone); }); };
    std::weak_ptr<QORUARTDevice> weak = device;
    rail(device->queue(),
         [queued, weak, bytes = std::move(image.bytes), progress = std::move(progress)]() mutable {
             queued->ran = true;
             queued->flash->run(weak, bytes, std::move(progress));
         });
    return flash;
}

void FirmwareFlash::run(const std::weak_ptr<QORUARTDevice>& weak, const Bytes& image,
                        Progress progress) {
    Outcome outcome = Outcome::gone;
    const DeviceRef device = weak.lock();
    if (device) {
        logFormat("%s: flashing %zu bytes of firmware", device->filename().c_str(), image.size());
        outcome = device->flasher().flashFirmware(image, std::move(progress),
                                                  [this] { return stopRequested(); });
        logFormat("%s: %s", device->filename().c_str(), outcomeText(outcome).c_str());
    }
    // Behind the progress reports already on their way.
    rail(Rails::main(), [self = shared_from_this(), outcome] { self->finish(outcome); });
    // Every flash that suspended the pedal ended with a reboot: bring it back before anything
    // else is sent.
    if (device && restarts(outcome)) PedalRestart(*device).awaitReturn();
}

bool FirmwareFlash::restarts(Outcome outcome) {
    return outcome == Outcome::written || outcome == Outcome::failed || outcome == Outcome::stopped;
}

void FirmwareFlash::finish(Outcome outcome) {
    finished_ = true;
    if (completion_) completion_(outcome);
    completion_ = nullptr;
    std::vector<std::function<void()>> waiters;
    {
        std::lock_guard lock(runningFlashes().mutex);
        auto& flashes = runningFlashes().flashes;
        std::erase(flashes, shared_from_this());
        if (flashes.empty()) waiters.swap(runningFlashes().waiters);
    }
    for (const auto& waiter : waiters) waiter();
}

bool FirmwareFlash::anyRunning() {
    std::lock_guard lock(runningFlashes().mutex);
    return !runningFlashes().flashes.empty();
}

void FirmwareFlash::stopAll() {
    std::lock_guard lock(runningFlashes().mutex);
    for (const auto& flash : runningFlashes().flashes) flash->stop();
}

void FirmwareFlash::whenNoneRunning(std::function<void()> block) {
    if (!block) return;
    {
        std::lock_guard lock(runningFlashes().mutex);
        if (!runningFlashes().flashes.empty()) {
            runningFlashes().waiters.push_back(std::move(block));
            return;
        }
    }
    rail(Rails::main(), std::move(block));
}

std::string FirmwareFlash::outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::written:
            return "Firmware written; the pedal is restarting.";
        case Outcome::failed:
            return "The firmware update failed; the pedal has been told to recover.";
        case Outcome::stopped:
            return "The firmware update was stopped; the pedal has been told to recover.";
        case Outcome::notSuspended:
            return "The firmware update failed: the pedal did not get ready; nothing was written.";
        case Outcome::refused:
            return "The firmware image was refused; nothing was sent.";
        case Outcome::cancelled:
            return "The firmware update was stopped before anything was sent.";
        case Outcome::gone:
            return "The pedal went away before the firmware update started.";
    }
    return {};
}

}  // namespace harbrix
