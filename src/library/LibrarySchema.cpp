#include "library/LibrarySchema.h"

#include "devices/PresetStore.h"
#include "library/Sqlite.h"

namespace harbrix::library {

const std::vector<Migration>& libraryMigrations() {
    // Presets are kept once per model and content. Names, tags and notes are searched through
    // the full-text index by word prefix, as the user types.
    static const std::vector<Migration> steps = {
        {1, R"sql(
CREATE TABLE presets (
    id INTEGER PRIMARY KEY,
    model TEXT NOT NULL,
    sha256 BLOB NOT NULL,
    bytes BLOB NOT NULL,
    name TEXT NOT NULL,
    favourite INTEGER NOT NULL DEFAULT 0,
    note TEXT NOT NULL DEFAULT '',
    first_seen INTEGER NOT NULL,
    last_seen INTEGER NOT NULL,
    UNIQUE (model, sha256)
);
CREATE TABLE tags (
    preset INTEGER NOT NULL REFERENCES presets(id) ON DELETE CASCADE,
    tag TEXT NOT NULL COLLATE NOCASE,
    PRIMARY KEY (preset, tag)
) WITHOUT ROWID;
CREATE INDEX tags_by_tag ON tags(tag);
CREATE TABLE sightings (
    preset INTEGER NOT NULL REFERENCES presets(id) ON DELETE CASCADE,
    serial TEXT NOT NULL DEFAULT '',
    slot INTEGER NOT NULL DEFAULT -1,
    file TEXT NOT NULL DEFAULT '',
    first_seen INTEGER NOT NULL,
    last_seen INTEGER NOT NULL,
    PRIMARY KEY (preset, serial, slot, file)
) WITHOUT ROWID;
CREATE TABLE snapshots (
    id INTEGER PRIMARY KEY,
    model TEXT NOT NULL,
    serial TEXT NOT NULL,
    taken INTEGER NOT NULL,
    slots INTEGER NOT NULL
);
CREATE INDEX snapshots_by_pedal ON snapshots(serial, id);
CREATE TABLE snapshot_slots (
    snapshot INTEGER NOT NULL REFERENCES snapshots(id) ON DELETE CASCADE,
    slot INTEGER NOT NULL,
    preset INTEGER REFERENCES presets(id),
    PRIMARY KEY (snapshot, slot)
) WITHOUT ROWID;
CREATE INDEX snapshot_slots_by_preset ON snapshot_slots(preset, snapshot);
-- Where each preset is now: the slots of every pedal's newest snapshot.
CREATE VIEW current_places AS
    SELECT s.serial AS serial, ss.slot AS slot, ss.preset AS preset
    FROM snapshots s JOIN snapshot_slots ss ON ss.snapshot = s.id
    WHERE ss.preset IS NOT NULL
      AND s.id = (SELECT MAX(id) FROM snapshots newest WHERE newest.serial = s.serial);
CREATE VIRTUAL TABLE preset_text USING fts5(
    name, tags, note, tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2 3');
)sql"},
    };
    return steps;
}

MigrationOutcome migrate(Connection& connection, const std::vector<Migration>& steps) {
    Transaction transaction(connection);
    if (!transaction.began()) return MigrationOutcome::failed;
    const auto version = connection.integer("PRAGMA user_version");
    if (!version) return MigrationOutcome::failed;
    const int newest = steps.empty() ? 0 : steps.back().version;
    if (*version > newest) return MigrationOutcome::tooNew;
    if (*version == newest) return MigrationOutcome::current;
    for (const Migration& step : steps) {
        if (step.version <= *version) continue;
        if (!connection.run(step.sql)) return MigrationOutcome::failed;
    }
    if (!connection.run("PRAGMA user_version = " + std::to_string(newest)))
        return MigrationOutcome::failed;
    return transaction.commit() ? MigrationOutcome::migrated : MigrationOutcome::failed;
}

}  // namespace harbrix::library
