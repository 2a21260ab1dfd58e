// Where the presets the application sees are kept beyond the pedal (the preset library). The
// device layer tells the keeper what it reads from pedals and files and when a pedal's slots
// have changed; the application sets the keeper once, and without one nothing is kept.
// Every call comes from the thread that read or changed the preset (a pedal's queue, or the
// main thread for a file), so a keeper hands its work on rather than doing it there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace harbrix {

class Preset;
class QORUARTDevice;

class PresetKeeper {
  public:
    virtual ~PresetKeeper() = default;
    // A preset read from the pedal's slot (not an empty slot).
    virtual void presetRead(const QORUARTDevice& device, std::size_t slot,
                            const Preset& preset) = 0;
    // The pedal's slots as its cache holds them now are worth keeping: after the first
    // reading, and after each journaled change. On the pedal's queue.
    virtual void pedalChanged(const QORUARTDevice& device) = 0;
    // A preset read from a file made for `model`.
    virtual void fileRead(const std::string& model, const Preset& preset,
                          const std::string& path) = 0;
};

// The keeper, or null; any thread.
std::shared_ptr<PresetKeeper> presetKeeper();
void setPresetKeeper(std::shared_ptr<PresetKeeper> keeper);

}  // namespace harbrix
