// The one engine every journaled change of preset slots runs on, the window's and harbrixctl's
// alike: the change is begun for the slots it plans to change (nothing is sent when that
// refuses), the work is done, each changed slot is read back when asked, and the entry is
// finished with the slots as the cache holds them afterwards. Runs on the pedal's queue.
//
// `run` writes presets into slots: in the order given, and erasing only after every preset is
// written, so a preset is never only in the journal. The first write that fails stops the
// rest; a write that reads back otherwise gets a "Write" entry of its own, so Undo puts back
// what the slot held before it. The transfer operations run on `journal` with work of their
// own (JournaledTransfers).
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
#include "devices/JournaledChange.h"

namespace harbrix {

class QORUARTDevice;

struct JournaledWrites {
    enum class Outcome {
        written,     // every slot written (and read back as written, when verified)
        notStarted,  // nothing was sent: `refusal` says why
        refused,     // the pedal did not take `slot`; the ones before it were written
        unverified,  // `slot` could not be read back; stopped there
        mismatch,    // `slot` read back otherwise than written; stopped there
    };
    Outcome outcome = Outcome::written;
    std::optional<std::size_t> slot;  // the slot at fault
    std::set<std::size_t> written;    // the slots that took their preset
    // The slots whose request failed: each may only have lost its answer.
    std::set<std::size_t> unanswered;
    std::optional<ChangeRefusal> refusal;

    bool succeeded() const { return outcome == Outcome::written; }
    // One line for the user when it did not succeed: "slot 07 does not read back as written".
    std::string problem() const;

    // The engine. `work` does the exchanges and answers what it did: `written`, the slots it
    // changed, where it stopped and which requests failed; it may record a mismatch it found
    // itself. A written slot that holds what it held before has not changed; a failed one is
    // read back, and has changed when it holds other bytes or cannot be read. With `verify`, work that went through
    // has each changed slot read back against the cache; the first that reads otherwise stops
    // the checks (`unverified`, or `mismatch` with a "Write" entry of its own).
    using Work = std::function<JournaledWrites(JournaledChange& change)>;
    static JournaledWrites journal(QORUARTDevice& device, const std::string& operation,
                                   const std::vector<JournaledChange::Plan>& plan, bool verify,
                                   WithoutJournal without, const Work& work);

    // Writes each preset (no bytes: erases the slot), each read back when `verify`. `done`
    // hears each slot written.
    static JournaledWrites run(QORUARTDevice& device, const std::string& operation,
                               std::vector<std::pair<std::size_t, SlotBytes>> writes, bool verify,
                               const std::function<void(std::size_t)>& done = {},
                               WithoutJournal without = WithoutJournal::refuse);
};

}  // namespace harbrix
