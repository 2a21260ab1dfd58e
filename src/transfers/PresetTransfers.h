// The transfer operations on one pedal's slots: Move, Copy, Overwrite, Swap, erasing a list of
// slots, writing staged presets into their slots and writing a renamed preset back. The
// Transfers screen and harbrixctl both run them from here.
//
// Each operation comes in two forms:
// - `run...` does the exchanges on the calling thread, which must be the pedal's queue, with
//   presets the caller has read or copied. harbrixctl reads them from the pedal first.
// - The member operations take their snapshots from the pedal's preset cache on the calling
//   (main) thread and post one block to the pedal's queue. Before it writes anything the block
//   checks that no slot it touches has changed in the cache since the snapshots were taken,
//   so two operations queued back to back never lose a preset. The completion runs on the
//   main rail. They return false, having posted nothing, when there is nothing to do: no
//   pedal, a source without a preset, or a target whose contents are not known; refusal()
//   then says why.
// Each call is one whole operation; a caller that records operations (to undo them) knows
// the slots it named, and the result says what each of them held before. The member
// operations are journaled (JournaledTransfers); the `run...` forms are not, so callers that
// act for the user run them through JournaledTransfers.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/ChangeRefusal.h"
#include "devices/Preset.h"
#include "devices/SlotNames.h"
#include "link/QORUARTDevice.h"

namespace harbrix {

using PresetRef = std::shared_ptr<Preset>;

struct TransferResult {
    enum class Kind { move, copy, overwrite, swap, erase, write, rename };
    Kind kind = Kind::move;
    // The slots the operation set out to change.
    std::vector<std::size_t> touched;
    // What the cache held in those slots when the operation was posted (posted forms only).
    std::map<std::size_t, PresetRef> before;
    // Slots erased or written as asked, in the order it happened.
    std::vector<std::size_t> done;
    // Slots the pedal refused to change.
    std::vector<std::size_t> failed;
    // One line for the user saying what did not happen; empty when everything did.
    std::string notice;
    // Set when nothing was sent because of what the journaled change found (a slot changed
    // on the pedal, or a journal that cannot be written: the caller may ask the user and run
    // the operation again without the journal).
    std::optional<ChangeRefusal> refusal;

    bool succeeded() const { return notice.empty(); }
};

class PresetTransfers {
  public:
    using Completion = std::function<void(const TransferResult&)>;
    using SlotDone = std::function<void(std::size_t slot)>;
    struct StagedWrite {
        std::size_t slot = 0;
        PresetRef preset;
    };

    // ---- On the pedal's queue
    // Writes the snapshot into `to`; only then erases `from`.
    static TransferResult runMove(QORUARTDevice& device, const PresetRef& snapshot,
                                  std::size_t from, std::size_t to);
    // Writes the snapshot into `to`. Overwrite sends exactly what Copy sends; it only says
    // that `to` held a preset.
    static TransferResult runCopy(QORUARTDevice& device, const PresetRef& snapshot, std::size_t to,
                                  bool overwrite);
    // a's preset into b, then b's into a. When the second write fails, b gets its own preset
    // back, so the pedal never ends up without one of the two.
    static TransferResult runSwap(QORUARTDevice& device, const PresetRef& a, const PresetRef& b,
                                  std::size_t slotA, std::size_t slotB);
    // Erases each slot in ascending order, going on past a failure. `erased` hears of each
    // slot erased, on the pedal's queue.
    static TransferResult runErase(QORUARTDevice& device, std::vector<std::size_t> indices,
                                   const SlotDone& erased = {});
    // Writes each preset into its slot in ascending slot order and stops at the first write
    // that fails; that one and those after it are not written.
    static TransferResult runWrite(QORUARTDevice& device, std::vector<StagedWrite> staged,
                                   const SlotDone& written = {});
    // Writes the renamed preset back into its slot.
    static TransferResult runRename(QORUARTDevice& device, const PresetRef& renamed,
                                    std::size_t slot, const std::string& oldName);

    // ---- From the main thread
    // Each takes `without`: whether it may go on when its journal entry cannot be written.
    explicit PresetTransfers(std::weak_ptr<QORUARTDevice> device);

    // Onto a known empty slot.
    bool move(std::size_t from, std::size_t to, Completion done,
              WithoutJournal without = WithoutJournal::refuse);
    // Onto a known empty slot, or with `overwrite` onto any known slot.
    bool copy(std::size_t from, std::size_t to, bool overwrite, Completion done,
              WithoutJournal without = WithoutJournal::refuse);
    // A preset from outside the pedal (the library) onto a known slot: a Copy onto an empty
    // one, an Overwrite onto an occupied one.
    bool place(const PresetRef& preset, std::size_t to, Completion done,
               WithoutJournal without = WithoutJournal::refuse);
    // Two occupied slots.
    bool swap(std::size_t a, std::size_t b, Completion done,
              WithoutJournal without = WithoutJournal::refuse);
    // `erased` runs on the main rail for each slot erased, before the completion.
    bool erase(std::vector<std::size_t> indices, SlotDone erased, Completion done,
               WithoutJournal without = WithoutJournal::refuse);
    // `written` runs on the main rail for each slot written, before the completion.
    bool write(std::vector<StagedWrite> staged, SlotDone written, Completion done,
               WithoutJournal without = WithoutJournal::refuse);
    // Gives the cached preset the name (as Preset::setName takes it) and writes it back.
    // False, sending nothing, when the slot holds no preset or the name it would end up with
    // is the name it has.
    bool rename(std::size_t slot, const std::string& name, Completion done,
                WithoutJournal without = WithoutJournal::refuse);
    // Why the last of these operations posted nothing, as one line for the user ("Slot 5 is
    // no longer empty; nothing was moved."); empty after one that posted, and when there is
    // nothing to say (the pedal has gone, the name is the one it has).
    const std::string& refusal() const { return refusal_; }

  private:
    using Work = std::function<TransferResult(QORUARTDevice&)>;
    // Posts `work` with the cached presets of `touched` as they are now; refuses to run it
    // when any of them has been replaced by the time it runs.
    bool post(TransferResult::Kind kind, const std::vector<std::size_t>& touched, Work work,
              Completion done);
    // Keeps why and answers false.
    bool refuse(std::string why);

    std::weak_ptr<QORUARTDevice> device_;
    std::string refusal_;
};

}  // namespace harbrix
