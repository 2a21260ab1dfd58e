// The journal's side of one user action that changes preset slots. The action's block on the
// pedal's queue wraps its work in it:
//
//     auto change = JournaledChange::begin(device, "Move", {{to, bytes}, {from, SlotBytes{}}});
//     if (!change) return;  // a slot could not be read: nothing is sent
//     ...the writes and erasures...
//     change->finish(changedSlots);
//
// `begin` notes what each slot holds now (from the cache, reading the slots it does not know)
// and what the action means to put there, and has it on disk before it returns, so before the
// action's first request leaves. An action that never reaches `finish` (the program stopped)
// stays in the journal as unfinished, and can still be undone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices/JournalEntry.h"

namespace harbrix {

class Journal;
class QORUARTDevice;

class JournaledChange {
  public:
    struct Plan {
        std::size_t slot;
        // What the action will put in the slot (no bytes: it empties it); none when only the
        // pedal knows (a factory reset), to be given to finish.
        std::optional<SlotBytes> after;
    };
    // On the pedal's queue. None when a slot the cache does not know could not be read (then
    // `unreadable` names it): the action must not go on, since what it would overwrite could
    // not be kept.
    static std::optional<JournaledChange> begin(QORUARTDevice& device, const std::string& operation,
                                                const std::vector<Plan>& plan,
                                                std::size_t* unreadable = nullptr);

    // Whether the entry is on disk. False when the pedal has no journal (no serial number)
    // or the file could not be written; the action goes on, and the log says why.
    bool journaled() const { return number_.has_value(); }
    // What the slot held before the action (one of the planned slots).
    const SlotBytes& before(std::size_t slot) const;

    // The action ended having changed `changed`; `actualAfter` gives the bytes of slots whose
    // outcome was not known beforehand.
    void finish(const std::set<std::size_t>& changed,
                const std::vector<SlotChange>& actualAfter = {});
    // A verified write found `actual` in the slot instead of what was meant: the slot leaves
    // this entry and gets a "Write" entry of its own, from what it held before to what it
    // holds now, so that Undo can put it back.
    void mismatch(std::size_t slot, const SlotBytes& actual);

    // Writes down, as one finished "Write" entry, that a slot holding `before` was found
    // holding `actual` after a write.
    static void recordMismatch(Journal& journal, std::size_t slot, const SlotBytes& before,
                               const SlotBytes& actual);

  private:
    JournaledChange() = default;

    std::shared_ptr<Journal> journal_;
    std::optional<std::uint64_t> number_;
    std::vector<SlotChange> slots_;
    std::set<std::size_t> mismatched_;
};

}  // namespace harbrix
