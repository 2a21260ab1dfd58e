// The journal's side of one user action that changes preset slots. The action's block on the
// pedal's queue wraps its work in it:
//
//     ChangeRefusal refusal;
//     auto change = JournaledChange::begin(device, "Move", {{to, bytes}, {from, SlotBytes{}}},
//                                          &refusal);
//     if (!change) return;  // nothing is sent; `refusal` says why
//     ...the writes and erasures...
//     change->finish(changedSlots);
//
// `begin` reads every slot the action will change from the pedal, just before the action,
// since the cache knows nothing of a preset saved on the pedal itself since it was read (the
// pedal's state block answers for the empty slots when the cache expects several). A slot that
// reads otherwise than the cache held stops the action (the read has put it in the cache, and
// the screens show it), since the user chose it for what they saw. Otherwise what was read is
// written down with what the action means to put there, on disk before `begin` returns, so
// before the action's first request leaves. An action that never reaches `finish` (the program
// stopped) stays in the journal as unfinished, and can still be undone.
//
// When the entry cannot be written, the action goes on only where it cannot lose a preset
// (every slot it changes is empty) or when the user chose to change the pedal without Undo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices/ChangeRefusal.h"
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
    // On the pedal's queue. None, with `refusal` saying why, when the action must not go on:
    // a slot could not be read, a slot was changed on the pedal, or the entry could not be
    // written and `without` does not let it go on.
    static std::optional<JournaledChange> begin(QORUARTDevice& device, const std::string& operation,
                                                const std::vector<Plan>& plan,
                                                ChangeRefusal* refusal = nullptr,
                                                WithoutJournal without = WithoutJournal::refuse);

    // Whether the entry is on disk. False when the action goes on without it (see begin).
    bool journaled() const { return number_.has_value(); }
    // What the slot held before the action (one of the planned slots).
    const SlotBytes& before(std::size_t slot) const;

    // A slot whose write or erasure went unanswered (the pedal restarted or left under it)
    // may have changed all the same: read back, it joins `changed` when it holds other
    // bytes than before, with those bytes in `actualAfter`; unreadable, it joins `changed`,
    // and Undo, which reads every slot first, leaves it alone if it was not.
    void settleUnanswered(QORUARTDevice& device, std::size_t slot, std::set<std::size_t>& changed,
                          std::vector<SlotChange>& actualAfter) const;

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
