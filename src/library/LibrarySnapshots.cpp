// Snapshots of whole pedals: a row per slot naming the preset it held, kept only when the
// pedal holds something other than at its previous snapshot.
#include "devices/PresetStore.h"
#include "library/Library.h"
#include "library/Sqlite.h"

namespace harbrix {

using library::Statement;
using library::Transaction;

namespace {

constexpr const char* kSnapshotColumns =
    "SELECT s.id, s.model, s.serial, s.taken, s.slots,"
    " (SELECT count(*) FROM snapshot_slots ss WHERE ss.snapshot = s.id AND ss.preset IS NOT NULL)"
    " FROM snapshots s ";

SnapshotInfo snapshotFromRow(const Statement& row) {
    return {row.integer(0),
            row.text(1),
            row.text(2),
            row.integer(3),
            static_cast<std::size_t>(row.integer(4)),
            static_cast<std::size_t>(row.integer(5))};
}

}  // namespace

std::optional<std::vector<std::optional<std::int64_t>>> Library::snapshotPresets(std::int64_t id) {
    Statement count(*connection_, "SELECT slots FROM snapshots WHERE id = ?");
    count.bind(1, id);
    if (!count.step()) return std::nullopt;
    std::vector<std::optional<std::int64_t>> presets(static_cast<std::size_t>(count.integer(0)));
    Statement rows(*connection_,
                   "SELECT slot, preset FROM snapshot_slots WHERE snapshot = ? AND preset IS NOT "
                   "NULL");
    rows.bind(1, id);
    while (rows.step()) {
        const auto slot = static_cast<std::size_t>(rows.integer(0));
        if (slot < presets.size()) presets[slot] = rows.integer(1);
    }
    if (!rows.done()) return std::nullopt;
    return presets;
}

LibraryResult<SnapshotRecord> Library::recordSnapshot(const std::string& model,
                                                      const std::string& serial,
                                                      std::size_t slotCount,
                                                      const std::vector<SlotPreset>& occupied) {
    const auto failed = [this] {
        return LibraryResult<SnapshotRecord>::failed(problemWhile("keep the snapshot"));
    };
    std::lock_guard lock(mutex_);
    Transaction transaction(*connection_);
    if (!transaction.began()) return failed();
    const std::int64_t time = now();
    std::vector<std::optional<std::int64_t>> presets(slotCount);
    for (const SlotPreset& preset : occupied) {
        if (preset.slot >= slotCount) continue;
        const auto id =
            collectLocked(model, preset.bytes, preset.name, {serial, preset.slot, {}}, time);
        if (!id) return failed();
        presets[preset.slot] = id;
    }

    Statement previous(*connection_,
                       "SELECT id, model FROM snapshots WHERE serial = ? ORDER BY id DESC LIMIT 1");
    previous.bind(1, serial);
    const bool hasPrevious = previous.step();
    if (!hasPrevious && !previous.done()) return failed();
    if (hasPrevious && previous.text(1) == model) {
        const std::int64_t id = previous.integer(0);
        const auto held = snapshotPresets(id);
        if (!held) return failed();
        if (*held == presets) {
            // The presets' last-seen times have moved on all the same.
            if (!transaction.commit()) return failed();
            return {SnapshotRecord{id, false}, {}};
        }
    }

    Statement snapshot(*connection_,
                       "INSERT INTO snapshots (model, serial, taken, slots) VALUES (?, ?, ?, ?)");
    snapshot.bind(1, model).bind(2, serial).bind(3, time);
    if (!snapshot.bind(4, static_cast<std::int64_t>(slotCount)).run()) return failed();
    const std::int64_t id = connection_->lastInsertId();
    Statement slot(*connection_,
                   "INSERT INTO snapshot_slots (snapshot, slot, preset) VALUES (?, ?, ?)");
    for (std::size_t index = 0; index < slotCount; ++index) {
        slot.reset();
        slot.bind(1, id).bind(2, static_cast<std::int64_t>(index));
        if (presets[index])
            slot.bind(3, *presets[index]);
        else
            slot.bindNull(3);
        if (!slot.run()) return failed();
    }
    if (!transaction.commit()) return failed();
    return {SnapshotRecord{id, true}, {}};
}

LibraryResult<std::vector<SnapshotInfo>> Library::snapshots(const std::string& serial) {
    std::lock_guard lock(mutex_);
    Statement rows(*connection_,
                   (std::string(kSnapshotColumns) + (serial.empty() ? "" : "WHERE s.serial = ?1 ") +
                    "ORDER BY s.id DESC")
                       .c_str());
    if (!serial.empty()) rows.bind(1, serial);
    std::vector<SnapshotInfo> found;
    while (rows.step()) found.push_back(snapshotFromRow(rows));
    if (!rows.done())
        return LibraryResult<std::vector<SnapshotInfo>>::failed(problemWhile("list the snapshots"));
    return {std::move(found), {}};
}

LibraryResult<Snapshot> Library::snapshot(std::int64_t id) {
    std::lock_guard lock(mutex_);
    const auto failed = [this] {
        return LibraryResult<Snapshot>::failed(problemWhile("read the snapshot"));
    };
    Statement row(*connection_, (std::string(kSnapshotColumns) + "WHERE s.id = ?").c_str());
    row.bind(1, id);
    if (!row.step()) {
        if (row.done())
            return LibraryResult<Snapshot>::failed("the library has no snapshot " +
                                                   std::to_string(id));
        return failed();
    }
    Snapshot snapshot{snapshotFromRow(row), {}, {}};
    const auto presets = snapshotPresets(id);
    if (!presets) return failed();
    snapshot.presets = *presets;
    Statement bytes(*connection_, "SELECT bytes FROM presets WHERE id = ?");
    for (const auto& preset : snapshot.presets) {
        if (!preset) {
            snapshot.bytes.emplace_back();
            continue;
        }
        bytes.reset();
        bytes.bind(1, *preset);
        if (!bytes.step()) return failed();
        snapshot.bytes.emplace_back(bytes.blob(0));
        bytes.reset();
    }
    return {std::move(snapshot), {}};
}

}  // namespace harbrix
