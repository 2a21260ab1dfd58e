// A firmware update of one pedal, started the same way by the window, the settings screen
// and harbrixctl: the image is checked before anything is sent, the update runs on the
// pedal's queue, progress and the outcome come back on the main rail, and a stop asked from
// any thread lets the page under way finish before the pedal is told to recover and reboot.
// The process keeps the flashes that are running, so that quitting can ask first and stop
// them in order.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/FirmwareImage.h"
#include "link/QORUARTDevice.h"

namespace harbrix {

class FirmwareFlash : public std::enable_shared_from_this<FirmwareFlash> {
  public:
    using Outcome = Flasher::Outcome;
    using Progress = std::function<void(double percent)>;
    using Completion = std::function<void(Outcome outcome)>;

    // Checks the file and queues its update on the device's queue, ahead of waiting preset
    // refreshes; the queued work holds the device weakly. Progress (0..100) and then the
    // outcome arrive on the main rail. None, with `refusal` set, for a file the pedal cannot
    // take; none as well without a device or queue. Nothing is sent then and neither
    // callback runs.
    static std::shared_ptr<FirmwareFlash> start(const DeviceRef& device, const Bytes& file,
                                                Progress progress, Completion completion,
                                                ImageRefusal* refusal = nullptr);

    // Asks the flash to stop: before it starts nothing is sent; once the pedal is suspended
    // the page under way finishes, then the pedal is told to recover and reboot. Any thread;
    // it only sets a lock-free flag, so a signal handler may call it too.
    void stop() { stopRequested_.store(true); }
    bool stopRequested() const { return stopRequested_.load(); }
    // True from start until the outcome has been delivered on the main rail.
    bool running() const { return !finished_.load(); }

    // Whether any flash of this process is running.
    static bool anyRunning();
    // Asks every running flash to stop.
    static void stopAll();
    // Runs `block` on the main rail once no flash is running any more (posted at once when
    // none is). Flashes started meanwhile are waited for too.
    static void whenNoneRunning(std::function<void()> block);

    // The outcome in words for the user ("Firmware written; the pedal is restarting.").
    static std::string outcomeText(Outcome outcome);
    // Whether the pedal restarts after a flash that ended so. It is brought up again on its
    // queue right after the outcome has been posted, so work queued later finds it back.
    static bool restarts(Outcome outcome);

  private:
    FirmwareFlash() = default;
    void run(const std::weak_ptr<QORUARTDevice>& device, const Bytes& image, Progress progress);
    // Main rail: delivers the outcome and leaves the running list.
    void finish(Outcome outcome);

    Completion completion_;
    std::atomic<bool> stopRequested_ = false;
    std::atomic<bool> finished_ = false;
    static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace harbrix
