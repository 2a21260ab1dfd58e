// The library as the window uses it: opened once, off the window's thread, with every call
// made on a queue of its own, so neither the window nor a pedal ever waits for the database.
// It keeps, without asking, every preset the device layer reads from a pedal or a file, and a
// snapshot of a pedal whenever its slots are known after the first reading or a journaled
// change.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "devices/PresetKeeping.h"
#include "library/Library.h"
#include "link/Rails.h"

namespace harbrix {

class LibraryKeeper : public PresetKeeper, public std::enable_shared_from_this<LibraryKeeper> {
  public:
    // How the opening went, on the main rail: a notice for the user (a damaged file moved
    // aside), and why there is no library, when there is none.
    using Opened = std::function<void(const std::string& notice, const std::string& problem)>;
    // Opens the library at `path` on the keeper's queue.
    static std::shared_ptr<LibraryKeeper> open(const std::string& path, Opened opened);
    ~LibraryKeeper() override;

    // Runs `work` with the library on the keeper's queue; `work` hears null when there is
    // no library.
    void post(std::function<void(Library*)> work);
    // Told on the main rail, a moment after the library kept something new; main thread.
    void setChanged(std::function<void()> changed);

    void presetRead(const QORUARTDevice& device, std::size_t slot, const Preset& preset) override;
    void pedalChanged(const QORUARTDevice& device) override;
    void fileRead(const std::string& model, const Preset& preset, const std::string& path) override;

  private:
    LibraryKeeper();
    // After something was kept: one call of `changed` for everything kept until it runs.
    void kept();

    // The library, used on the queue only; the queue's blocks share it, so what was handed
    // on before the keeper goes is still kept.
    struct Held {
        std::shared_ptr<Library> library;
    };
    QueueRef queue_;
    std::shared_ptr<Held> held_ = std::make_shared<Held>();
    std::function<void()> changed_;  // main thread only
    std::atomic<bool> changePending_ = false;
};

// The pedal's occupied slots as its cache holds them (their saved presets); none while some
// slot has not been read.
std::optional<std::map<std::size_t, std::shared_ptr<Preset>>> cachedPresets(
    const QORUARTDevice& device);

}  // namespace harbrix
