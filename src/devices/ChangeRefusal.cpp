#include "devices/ChangeRefusal.h"

#include "devices/SlotNames.h"

namespace harbrix {

std::string ChangeRefusal::message() const {
    const bool one = indices.size() == 1;
    switch (reason) {
        case Reason::unreadable:
            return slotList(indices) + " could not be read, so what " +
                   (one ? "it holds" : "they hold") + " could not be kept; nothing was changed.";
        case Reason::changedOnPedal:
            return slotList(indices) + (one ? " was" : " were") +
                   " changed on the pedal; the screen now shows " + (one ? "it" : "them") +
                   ". Nothing was changed.";
        case Reason::noJournal:
            return "Undo is not available: the journal could not be written (" + problem +
                   "). Nothing was changed.";
    }
    return {};
}

}  // namespace harbrix
