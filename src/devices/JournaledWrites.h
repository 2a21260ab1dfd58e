// Writing presets into slots as one journaled action, each write read back when asked (or
// always, for the writes of a restore). Presets are written in the order given, and slots
// are erased only after every preset is written, so a preset is never only in the journal.
// The first write that fails stops the rest; a write that reads back otherwise gets a "Write"
// entry of its own, so Undo puts back what the slot held before it. Runs on the pedal's queue.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "devices/ChangeRefusal.h"
#include "devices/JournalEntry.h"

namespace harbrix {

class QORUARTDevice;

struct JournaledWrites {
    enum class Outcome {
        written,     // every slot written (and read back as written, when verified)
        notStarted,  // nothing was sent: `refusal` says why
        refused,     // the pedal did not take `slot`; the ones before it were written
        unverified,  // `slot` could not be read back; stopped there
        mismatch,    // `slot` read back otherwise than written; stopped there
        emptySlot,   // a rename found `slot` empty: nothing was sent
    };
    Outcome outcome = Outcome::written;
    std::optional<std::size_t> slot;  // the slot at fault
    std::set<std::size_t> written;    // the slots that took their preset
    std::optional<ChangeRefusal> refusal;

    bool succeeded() const { return outcome == Outcome::written; }
    // One line for the user when it did not succeed: "slot 07 does not read back as written".
    std::string problem() const;

    // Writes each preset (no bytes: erases the slot). `done` hears each slot written.
    static JournaledWrites run(QORUARTDevice& device, const std::string& operation,
                               std::vector<std::pair<std::size_t, SlotBytes>> writes, bool verify,
                               const std::function<void(std::size_t)>& done = {},
                               WithoutJournal without = WithoutJournal::refuse);
    // Renames the preset in the slot, journaled with the preset as the pedal holds it
    // afterwards (read back), since only the pedal knows what it makes of a name.
    static JournaledWrites rename(QORUARTDevice& device, std::size_t slot, const std::string& name,
                                  WithoutJournal without = WithoutJournal::refuse);
};

// The bytes a slot holding `before` holds once the pedal has renamed it: the name's ASCII
// characters ("~" as "-") in the first 24 bytes, padded with spaces.
SlotBytes renamedPresetBytes(const SlotBytes& before, const std::string& name);

}  // namespace harbrix
