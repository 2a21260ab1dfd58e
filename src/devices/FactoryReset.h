// A factory reset that can be undone. When the reset restores the presets, every slot's preset
// is written down first (the slots the cache does not know are read), and once the pedal has
// reset, what it made of its slots is read back into the cache and into the same journal entry,
// so the screens show the factory presets and Undo can put the user's presets back.
// Resets that leave the presets alone are not slot changes and are not journaled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace harbrix {

class QORUARTDevice;

class FactoryReset {
  public:
    struct Result {
        bool succeeded = false;
        std::string message;  // one line for the user when it did not succeed
    };

    // On the pedal's queue; `mask` as resetToFactoryDefaults takes it. A slot that cannot be
    // read beforehand stops the reset before it starts.
    static Result run(QORUARTDevice& device, std::uint32_t mask);
    // Whether a reset with this mask restores the presets.
    static bool restoresPresets(std::uint32_t mask);

  private:
    // Reads what the slots hold after the reset into the cache; the slots it could not read
    // are left out.
    static std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> readBack(
        QORUARTDevice& device);
};

}  // namespace harbrix
