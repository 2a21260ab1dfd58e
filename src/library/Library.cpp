#include "library/Library.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <ctime>

#include "library/Sqlite.h"

namespace harbrix {
namespace {

using library::Statement;
using library::Transaction;

Bytes sha256(const Bytes& bytes) {
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned size = 0;
    const bool done =
        EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) == 1;
    // The digest runs on whichever thread asks, a pedal's queue among them, and such a thread
    // may still be ending when the program exits: free the error state OpenSSL keeps for the
    // thread now rather than in the thread's own ending.
    OPENSSL_thread_stop();
    if (!done) return {};
    digest.resize(size);
    return digest;
}

// A name as the pedal pads it, without the padding.
std::string trimmed(const std::string& name) {
    const auto end = name.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? "" : name.substr(0, end + 1);
}

// Splits `joined` at `separator`.
std::vector<std::string> split(const std::string& joined, char separator) {
    std::vector<std::string> parts;
    if (joined.empty()) return parts;
    std::size_t start = 0;
    for (std::size_t at; (at = joined.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(joined.substr(start, at - start));
    parts.push_back(joined.substr(start));
    return parts;
}

bool isWordCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (std::isalnum(byte) != 0);
}

// Each word the user typed as a quoted prefix, so that nothing they type is read as the
// query language's syntax: `lea "x` becomes `"lea"* """x"*`. Empty when no word has a
// letter or digit.
std::string matchExpression(const std::string& text) {
    std::string expression;
    for (const std::string& word : split(text, ' ')) {
        if (std::none_of(word.begin(), word.end(), isWordCharacter)) continue;
        std::string quoted = "\"";
        for (const char c : word) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        expression += (expression.empty() ? "" : " ") + quoted + "\"*";
    }
    return expression;
}

constexpr const char* kPresetColumns =
    "SELECT p.id, p.model, p.name, p.favourite, p.note, p.first_seen, p.last_seen,"
    " (SELECT group_concat(tag, char(31)) FROM (SELECT tag FROM tags WHERE preset = p.id"
    "  ORDER BY tag)),"
    " (SELECT group_concat(serial || char(30) || slot, char(31)) FROM current_places c"
    "  WHERE c.preset = p.id) FROM presets p ";

LibraryPreset presetFromRow(const Statement& row) {
    LibraryPreset preset;
    preset.id = row.integer(0);
    preset.model = row.text(1);
    preset.name = row.text(2);
    preset.favourite = row.integer(3) != 0;
    preset.note = row.text(4);
    preset.firstSeen = row.integer(5);
    preset.lastSeen = row.integer(6);
    preset.tags = split(row.text(7), '\x1f');
    for (const std::string& place : split(row.text(8), '\x1f')) {
        const auto mark = place.find('\x1e');
        if (mark == std::string::npos) continue;
        preset.places.push_back(
            {place.substr(0, mark), static_cast<std::size_t>(std::stoul(place.substr(mark + 1)))});
    }
    return preset;
}

}  // namespace

Library::Library(std::string path, std::unique_ptr<library::Connection> connection,
                 int busyTimeoutMs)
    : path_(std::move(path)), connection_(std::move(connection)), busyTimeoutMs_(busyTimeoutMs) {}

Library::~Library() = default;

void Library::setClock(std::function<std::int64_t()> clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

std::int64_t Library::now() const {
    return clock_ ? clock_() : static_cast<std::int64_t>(std::time(nullptr));
}

std::string Library::problemWhile(const std::string& doing) const {
    if (connection_->busy()) return heldProblem(path_, busyTimeoutMs_);
    return "the library could not " + doing + ": " + connection_->problem();
}

std::optional<std::int64_t> Library::collectLocked(const std::string& model, const Bytes& bytes,
                                                   const std::string& name,
                                                   const PresetSource& source, std::int64_t time) {
    const Bytes digest = sha256(bytes);
    std::optional<std::int64_t> id;
    {
        Statement known(*connection_, "SELECT id FROM presets WHERE model = ? AND sha256 = ?");
        known.bind(1, model).bind(2, digest);
        if (known.step())
            id = known.integer(0);
        else if (!known.done())
            return std::nullopt;
    }
    if (id) {
        Statement seen(*connection_,
                       "UPDATE presets SET last_seen = max(last_seen, ?) WHERE id = ?");
        if (!seen.bind(1, time).bind(2, *id).run()) return std::nullopt;
    } else {
        Statement insert(*connection_,
                         "INSERT INTO presets (model, sha256, bytes, name, first_seen, last_seen)"
                         " VALUES (?, ?, ?, ?, ?, ?)");
        insert.bind(1, model).bind(2, digest).bind(3, bytes).bind(4, trimmed(name));
        if (!insert.bind(5, time).bind(6, time).run()) return std::nullopt;
        id = connection_->lastInsertId();
        if (!refreshText(*id)) return std::nullopt;
    }
    if (source.serial.empty() && !source.slot && source.file.empty()) return id;
    Statement sighting(*connection_,
                       "INSERT INTO sightings (preset, serial, slot, file, first_seen, last_seen)"
                       " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET"
                       " last_seen = max(last_seen, excluded.last_seen)");
    sighting.bind(1, *id).bind(2, source.serial);
    sighting.bind(3, source.slot ? static_cast<std::int64_t>(*source.slot) : std::int64_t{-1});
    sighting.bind(4, source.file).bind(5, time).bind(6, time);
    if (!sighting.run()) return std::nullopt;
    return id;
}

LibraryResult<std::int64_t> Library::collect(const std::string& model, const Bytes& bytes,
                                             const std::string& name, const PresetSource& source) {
    std::lock_guard lock(mutex_);
    Transaction transaction(*connection_);
    if (!transaction.began())
        return LibraryResult<std::int64_t>::failed(problemWhile("keep the preset"));
    const auto id = collectLocked(model, bytes, name, source, now());
    if (!id || !transaction.commit())
        return LibraryResult<std::int64_t>::failed(problemWhile("keep the preset"));
    return {id, {}};
}

LibraryResult<LibraryPreset> Library::preset(std::int64_t id) {
    std::lock_guard lock(mutex_);
    Statement row(*connection_, (std::string(kPresetColumns) + "WHERE p.id = ?").c_str());
    row.bind(1, id);
    if (row.step()) return {presetFromRow(row), {}};
    if (row.done())
        return LibraryResult<LibraryPreset>::failed("the library has no preset " +
                                                    std::to_string(id));
    return LibraryResult<LibraryPreset>::failed(problemWhile("read the preset"));
}

LibraryResult<Bytes> Library::presetBytes(std::int64_t id) {
    std::lock_guard lock(mutex_);
    Statement row(*connection_, "SELECT bytes FROM presets WHERE id = ?");
    row.bind(1, id);
    if (row.step()) return {row.blob(0), {}};
    if (row.done())
        return LibraryResult<Bytes>::failed("the library has no preset " + std::to_string(id));
    return LibraryResult<Bytes>::failed(problemWhile("read the preset"));
}

LibraryResult<std::vector<LibraryPreset>> Library::search(const LibraryQuery& query) {
    std::string sql = std::string(kPresetColumns) + "WHERE 1";
    const std::string match = matchExpression(query.text);
    if (!match.empty())
        sql += " AND p.id IN (SELECT rowid FROM preset_text WHERE preset_text MATCH ?1)";
    if (query.model) sql += " AND p.model = ?2";
    if (query.favouritesOnly) sql += " AND p.favourite = 1";
    if (query.tag) sql += " AND EXISTS (SELECT 1 FROM tags t WHERE t.preset = p.id AND t.tag = ?3)";
    if (query.onPedal)
        sql +=
            " AND EXISTS (SELECT 1 FROM current_places c WHERE c.preset = p.id AND c.serial = ?4)";
    if (query.notOnAnyPedal)
        sql += " AND NOT EXISTS (SELECT 1 FROM current_places c WHERE c.preset = p.id)";
    sql += " ORDER BY p.name COLLATE NOCASE, p.id LIMIT ?5";

    std::lock_guard lock(mutex_);
    Statement rows(*connection_, sql.c_str());
    if (!match.empty()) rows.bind(1, match);
    if (query.model) rows.bind(2, *query.model);
    if (query.tag) rows.bind(3, *query.tag);
    if (query.onPedal) rows.bind(4, *query.onPedal);
    rows.bind(5, static_cast<std::int64_t>(query.limit));
    std::vector<LibraryPreset> found;
    while (rows.step()) found.push_back(presetFromRow(rows));
    if (!rows.done())
        return LibraryResult<std::vector<LibraryPreset>>::failed(problemWhile("search"));
    return {std::move(found), {}};
}

bool Library::refreshText(std::int64_t id) {
    Statement text(*connection_,
                   "INSERT OR REPLACE INTO preset_text (rowid, name, tags, note)"
                   " SELECT id, name, (SELECT group_concat(tag, ' ') FROM tags WHERE preset = id),"
                   " note FROM presets WHERE id = ?");
    return text.bind(1, id).run();
}

bool Library::changeTags(std::int64_t id, const std::vector<std::string>& tags, bool adding) {
    Statement change(*connection_, adding ? "INSERT OR IGNORE INTO tags (preset, tag) VALUES (?, ?)"
                                          : "DELETE FROM tags WHERE preset = ? AND tag = ?");
    for (const std::string& tag : tags) {
        change.reset();
        if (!change.bind(1, id).bind(2, tag).run()) return false;
    }
    return refreshText(id);
}

LibraryResult<bool> Library::changePreset(std::int64_t id, const std::string& doing,
                                          const std::function<bool()>& change) {
    std::lock_guard lock(mutex_);
    Transaction transaction(*connection_);
    if (!transaction.began()) return LibraryResult<bool>::failed(problemWhile(doing));
    Statement exists(*connection_, "SELECT 1 FROM presets WHERE id = ?");
    exists.bind(1, id);
    if (!exists.step()) {
        if (exists.done())
            return LibraryResult<bool>::failed("the library has no preset " + std::to_string(id));
        return LibraryResult<bool>::failed(problemWhile(doing));
    }
    if (!change() || !transaction.commit()) return LibraryResult<bool>::failed(problemWhile(doing));
    return {true, {}};
}

LibraryResult<bool> Library::tag(std::int64_t id, const std::vector<std::string>& tags) {
    return changePreset(id, "tag the preset", [&] { return changeTags(id, tags, true); });
}

LibraryResult<bool> Library::untag(std::int64_t id, const std::vector<std::string>& tags) {
    return changePreset(id, "untag the preset", [&] { return changeTags(id, tags, false); });
}

LibraryResult<bool> Library::setFavourite(std::int64_t id, bool favourite) {
    return changePreset(id, "mark the preset", [&] {
        Statement set(*connection_, "UPDATE presets SET favourite = ? WHERE id = ?");
        return set.bind(1, std::int64_t{favourite}).bind(2, id).run();
    });
}

LibraryResult<bool> Library::setNote(std::int64_t id, const std::string& note) {
    return changePreset(id, "keep the note", [&] {
        Statement set(*connection_, "UPDATE presets SET note = ? WHERE id = ?");
        return set.bind(1, note).bind(2, id).run() && refreshText(id);
    });
}

LibraryResult<bool> Library::rename(std::int64_t id, const std::string& name) {
    return changePreset(id, "rename the preset", [&] {
        Statement set(*connection_, "UPDATE presets SET name = ? WHERE id = ?");
        return set.bind(1, trimmed(name)).bind(2, id).run() && refreshText(id);
    });
}

}  // namespace harbrix
