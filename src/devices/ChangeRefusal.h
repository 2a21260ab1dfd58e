// Why a change of preset slots was refused before anything was sent to the pedal, and what the
// user may do about it. A change that erases or overwrites a preset goes ahead only once its
// journal entry is on disk, unless the user chose to change the pedal without Undo.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace harbrix {

// What a change does when its journal entry cannot be written. A change that only fills
// empty slots cannot lose a preset, and goes ahead either way.
enum class WithoutJournal {
    refuse,   // sends nothing; the caller may ask the user and try again with `proceed`
    proceed,  // the user chose to change the pedal even though Undo cannot take it back
};

struct ChangeRefusal {
    enum class Reason {
        unreadable,      // `indices` could not be read, so what they hold could not be kept
        changedOnPedal,  // `indices` held otherwise than the cache said (changed on the pedal
                         // itself): the cache, and through it the screens, now show them
        noJournal,       // the entry could not be written: `problem`, in `journalPath`
                         // (empty when the pedal has no journal at all)
    };
    Reason reason = Reason::unreadable;
    std::vector<std::size_t> indices;  // the slots it is about
    std::string problem;               // "not a directory"
    std::string journalPath;

    // One line for the screen: "Slot 5 was changed on the pedal; the screen now shows it.
    // Nothing was changed."
    std::string message() const;
};

}  // namespace harbrix
