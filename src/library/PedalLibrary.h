// What the window and harbrixctl do with the library and a pedal: collect what was read from
// it, keep a snapshot of it, put a snapshot back as one journaled change, and write stored
// presets out as preset files.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "devices/ChangeRefusal.h"
#include "devices/JournalEntry.h"
#include "devices/JournaledWrites.h"
#include "library/Library.h"

namespace harbrix {

class Preset;
class QORUARTDevice;

// Keeps a preset read from the pedal's slot.
LibraryResult<std::int64_t> collectFromPedal(Library& library, const QORUARTDevice& device,
                                             std::size_t slot, const Preset& preset);
// Keeps a preset read from a file made for `model`.
LibraryResult<std::int64_t> collectFromFile(Library& library, const std::string& model,
                                            const Preset& preset, const std::string& path);
// Keeps the whole pedal, slot by slot, as a snapshot: `occupied` holds every slot that is not
// empty, read from the pedal (after the initial read, or after a change).
LibraryResult<SnapshotRecord> recordPedal(
    Library& library, const QORUARTDevice& device,
    const std::map<std::size_t, std::shared_ptr<Preset>>& occupied);

// The slots as bytes, none for an empty slot, as the library compares them.
std::vector<std::optional<Bytes>> slotBytes(
    const QORUARTDevice& device, const std::map<std::size_t, std::shared_ptr<Preset>>& occupied);

// The writes that make a pedal whose slots hold `current` (none: empty) hold the snapshot:
// only the slots that differ. A problem instead when the snapshot is of another model or
// slot count.
struct SnapshotRestorePlan {
    std::vector<std::pair<std::size_t, SlotBytes>> writes;  // no bytes: erase the slot
    std::string problem;
};
SnapshotRestorePlan planSnapshotRestore(const Snapshot& snapshot, const std::string& model,
                                        const std::vector<std::optional<Bytes>>& current);
// The slots whose preset differs between the snapshot and `current`, and how many there are.
std::vector<std::size_t> slotsThatDiffer(const Snapshot& snapshot,
                                         const std::vector<std::optional<Bytes>>& current);
std::size_t differingSlots(const Snapshot& snapshot,
                           const std::vector<std::optional<Bytes>>& current);
// The plan's writes as one journaled change, each slot read back. On the pedal's queue.
JournaledWrites restoreSnapshot(QORUARTDevice& device, const SnapshotRestorePlan& plan,
                                WithoutJournal without,
                                const std::function<void(std::size_t)>& done = {});

// Writes every preset of the snapshot into `folder` as a preset file named after it (or
// "Slot NN"); the files written by slot, or a problem. Nothing already there is replaced.
struct SnapshotExport {
    std::vector<std::pair<std::size_t, std::string>> files;  // slot, file name in the folder
    std::string problem;
};
SnapshotExport exportSnapshot(const Snapshot& snapshot, const std::string& folder);
// Writes a stored preset as a preset file at `path` (replacing it) or, when `path` is a folder,
// into it named after the preset. The path written, or a problem.
LibraryResult<std::string> exportPreset(Library& library, std::int64_t id, const std::string& path);

}  // namespace harbrix
