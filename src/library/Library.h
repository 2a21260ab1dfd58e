// The preset library: every preset the user has had, kept once per model and content, with
// its name, tags, favourite flag and note, where it was seen (a pedal's slot or a file), and
// snapshots of whole pedals. One SQLite database per user, shared by the window and
// harbrixctl; a database another program holds is waited for, then reported busy.
//
// A Library may be used from any thread (calls take turns on its one connection), so the
// window can query it off its own thread. Nothing here throws: every call says whether it
// worked, and why not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bytes.h"

namespace harbrix::library {
class Connection;
}

namespace harbrix {

// A result, or the reason there is none, in words for the user.
template <typename T>
struct LibraryResult {
    std::optional<T> value;
    std::string problem;

    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }
    static LibraryResult failed(std::string why) { return {std::nullopt, std::move(why)}; }
};

// Where a preset was seen: a pedal's slot, or a file.
struct PresetSource {
    std::string serial;
    std::optional<std::size_t> slot;  // 0-based
    std::string file;
};

// A pedal slot a preset is in now (by its pedal's newest snapshot).
struct PresetPlace {
    std::string serial;
    std::size_t slot = 0;
};

struct LibraryPreset {
    std::int64_t id = 0;
    std::string model;
    std::string name;
    std::vector<std::string> tags;
    bool favourite = false;
    std::string note;
    std::int64_t firstSeen = 0;  // seconds since 1970
    std::int64_t lastSeen = 0;
    std::vector<PresetPlace> places;
};

struct LibraryQuery {
    std::string text{};  // words each a prefix of a word of the name, a tag or the note
    std::optional<std::string> tag{};
    std::optional<std::string> model{};
    bool favouritesOnly = false;
    std::optional<std::string> onPedal{};  // a serial: only presets in that pedal now
    bool notOnAnyPedal = false;
    std::size_t limit = 500;
};

// A preset of a pedal's slot, as a snapshot takes it.
struct SlotPreset {
    std::size_t slot = 0;
    Bytes bytes;
    std::string name;
};

struct SnapshotInfo {
    std::int64_t id = 0;
    std::string model;
    std::string serial;
    std::int64_t taken = 0;
    std::size_t slots = 0;     // the pedal's slot count
    std::size_t occupied = 0;  // slots holding a preset
};

struct Snapshot {
    SnapshotInfo info;
    // One per slot: its preset's library id and bytes, none for an empty slot.
    std::vector<std::optional<std::int64_t>> presets;
    std::vector<std::optional<Bytes>> bytes;
};

struct SnapshotRecord {
    std::int64_t id = 0;
    bool stored = false;  // false: equal to the pedal's previous snapshot, which `id` names
};

class Library {
  public:
    static constexpr int kBusyTimeoutMs = 5000;

    struct Opening {
        std::shared_ptr<Library> library;  // none when there is no library this time
        std::string notice;                // something the user should hear (a damaged file)
        std::string problem;               // why there is no library
    };
    // $XDG_DATA_HOME/com.qor.wharvel/library.sqlite3 (see applicationSupportDirectory).
    static std::string defaultPath();
    // Opens the database, creating or migrating it. A damaged file is moved aside to
    // "PATH.damaged-DATE" and a new one started, with a notice saying so.
    // A database another program holds is waited for `busyTimeoutMs` at each call.
    static Opening open(const std::string& path = defaultPath(),
                        int busyTimeoutMs = kBusyTimeoutMs);
    // What the user hears of a database another program held too long.
    static std::string heldProblem(const std::string& path, int busyTimeoutMs);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const std::string& path() const { return path_; }
    // Seconds since 1970 for first and last seen; tests set their own clock.
    void setClock(std::function<std::int64_t()> clock);

    // Keeps the preset (once per model and bytes) and where it was seen; a preset seen again
    // only updates when it was last seen. Its library id.
    LibraryResult<std::int64_t> collect(const std::string& model, const Bytes& bytes,
                                        const std::string& name, const PresetSource& source);
    LibraryResult<LibraryPreset> preset(std::int64_t id);
    LibraryResult<Bytes> presetBytes(std::int64_t id);
    LibraryResult<std::vector<LibraryPreset>> search(const LibraryQuery& query);

    LibraryResult<bool> tag(std::int64_t id, const std::vector<std::string>& tags);
    LibraryResult<bool> untag(std::int64_t id, const std::vector<std::string>& tags);
    LibraryResult<bool> setFavourite(std::int64_t id, bool favourite);
    LibraryResult<bool> setNote(std::int64_t id, const std::string& note);
    LibraryResult<bool> rename(std::int64_t id, const std::string& name);

    // Collects the occupied slots of a pedal with `slotCount` slots and keeps them as a
    // snapshot, unless the pedal's previous snapshot holds the same.
    LibraryResult<SnapshotRecord> recordSnapshot(const std::string& model,
                                                 const std::string& serial, std::size_t slotCount,
                                                 const std::vector<SlotPreset>& occupied);
    // Newest first; every pedal's when `serial` is empty.
    LibraryResult<std::vector<SnapshotInfo>> snapshots(const std::string& serial = "");
    LibraryResult<Snapshot> snapshot(std::int64_t id);

  private:
    Library(std::string path, std::unique_ptr<library::Connection> connection, int busyTimeoutMs);
    std::int64_t now() const;
    // Why the last call failed, for the user.
    std::string problemWhile(const std::string& doing) const;
    std::optional<std::int64_t> collectLocked(const std::string& model, const Bytes& bytes,
                                              const std::string& name, const PresetSource& source,
                                              std::int64_t time);
    LibraryResult<bool> changePreset(std::int64_t id, const std::string& doing,
                                     const std::function<bool()>& change);
    bool refreshText(std::int64_t id);
    bool changeTags(std::int64_t id, const std::vector<std::string>& tags, bool adding);
    std::optional<std::vector<std::optional<std::int64_t>>> snapshotPresets(std::int64_t id);

    std::string path_;
    std::unique_ptr<library::Connection> connection_;
    int busyTimeoutMs_;
    std::function<std::int64_t()> clock_;
    mutable std::mutex mutex_;
};

}  // namespace harbrix
