// Undo and Redo of a pedal's journal entries, on the pedal itself. Undo takes the newest entry
// not undone and puts each slot it changed back as it was (writing the old preset, or erasing
// a slot that was empty); Redo does the most recently undone entry again.
//
// Before anything is written every slot is read: a slot that no longer holds what the entry
// left there was changed since (on the pedal, or by another program), and then nothing is
// written at all unless forced, since putting back only some slots of a Swap or a Move could
// lose the preset the others hold. A slot that already holds what it should is left as it is,
// so an undo cut short can be run again. Presets are written first and slots erased last, so a
// write that fails never leaves a preset only in the journal. Every write is read back; a slot
// that reads back otherwise stops the undo and is written down as a "Write" entry of its own.
//
// Runs on the pedal's queue; the cache and the announcements follow every read and write.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/JournalEntry.h"

namespace harbrix {

class Journal;
class QORUARTDevice;

class JournalUndo {
  public:
    struct Result {
        enum class Outcome {
            done,          // every slot put back (or done again)
            nothing,       // no entry to undo or redo
            changedSince,  // `slots` changed since the entry; nothing was written
            unknown,       // what `slots` should hold is not known; nothing was written
            unreadable,    // `slots` could not be read; stopped there
            refused,       // the pedal did not take the write to `slots`; stopped there
            mismatch,      // `slots` read back otherwise than written; stopped there
            noJournal,     // the pedal has no journal (no serial number)
        };
        Outcome outcome = Outcome::nothing;
        std::optional<JournalEntry> entry;  // the entry worked on
        std::vector<std::size_t> slots;     // the slots done, or the ones at fault
        std::string message;                // one line for the user

        bool succeeded() const { return outcome == Outcome::done; }
    };

    JournalUndo(QORUARTDevice& device, std::shared_ptr<Journal> journal);

    // With `force`, slots changed since are overwritten all the same.
    Result undo(bool force = false);
    Result redo(bool force = false);

  private:
    enum class Direction { undo, redo };
    Result run(Direction direction, bool force);

    QORUARTDevice& device_;
    std::shared_ptr<Journal> journal_;
};

}  // namespace harbrix
