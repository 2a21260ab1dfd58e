// A factory reset that can be undone. When the reset restores the presets, every slot is read
// and its preset written down first, and once the pedal has reset, what it made of its slots
// is read back into the cache and into the same journal entry, so the screens show the
// factory presets and Undo can put the user's presets back.
// Resets that leave the presets alone are not slot changes and are not journaled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devices/ChangeRefusal.h"

namespace harbrix {

class QORUARTDevice;

class FactoryReset {
  public:
    struct Result {
        bool succeeded = false;
        std::string message;  // one line for the user when it did not succeed
        // Set when nothing was sent: a slot that could not be read or was changed on the
        // pedal, or a journal that could not be written.
        std::optional<ChangeRefusal> refusal;
    };

    // On the pedal's queue; `mask` as resetToFactoryDefaults takes it. A reset of the presets
    // goes ahead only as the journaled changes do (see JournaledChange::begin).
    static Result run(QORUARTDevice& device, std::uint32_t mask,
                      WithoutJournal without = WithoutJournal::refuse);
    // Whether a reset with this mask restores the presets.
    static bool restoresPresets(std::uint32_t mask);

  private:
    // Reads what the slots hold after the reset into the cache; the slots it could not read
    // are left out.
    static std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> readBack(
        QORUARTDevice& device);
};

}  // namespace harbrix
