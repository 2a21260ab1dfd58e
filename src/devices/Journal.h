// A pedal's journal of slot changes: one entry for every user action that changed its preset
// slots, written down before the first request of the action leaves for the pedal, so that
// the action can be undone later, from this process or another, after a restart, or after a
// crash in the middle of it.
//
// One file per pedal, keyed by model and serial, in journalDirectory(). The journal keeps
// the newest 500 entries and at most 8 MiB. Every process that opens the same pedal's
// journal works on the same file; each change and each reading holds the file's lock and
// first takes in what the others wrote. A damaged line is skipped with a log line.
//
// Entries are undone newest first. Undoing pushes an entry on the redo stack and doing it
// again pops it; a new entry empties the stack, as in any editor.
//
// What Undo and Redo would take is also kept in memory, current as of the last reading, so
// that a menu can be named without touching the file.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices/JournalEntry.h"
#include "devices/JournalFile.h"

namespace harbrix {

class QORUARTDevice;

// The operations Undo and Redo would take ("Move"); empty when there is none.
struct JournalTitles {
    std::string undo;
    std::string redo;
    bool operator==(const JournalTitles&) const = default;
};

// How much a journal file keeps: the newest entries up to both bounds.
struct JournalBounds {
    std::size_t entries = 500;
    std::uint64_t bytes = 8u << 20;
};

class Journal {
  public:
    using Bounds = JournalBounds;

    // The journal of the pedal with this model and serial, one object per file in this
    // process; none for a serial that cannot name a file (empty, or with a "/").
    static std::shared_ptr<Journal> forPedal(const std::string& model, const std::string& serial);
    static std::shared_ptr<Journal> forDevice(const QORUARTDevice& device);

    explicit Journal(std::string path, Bounds bounds = {});
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::string& path() const { return file_.path(); }

    // Writes down a new entry and syncs it to disk; its number, or none when the file could
    // not be written (said in the log, and in `problem`: "not a directory").
    std::optional<std::uint64_t> begin(const std::string& operation, std::vector<SlotChange> slots,
                                       std::string* problem = nullptr);
    // The entry ended having changed `changed`; `actualAfter` gives what slots whose bytes
    // were not known beforehand (or came out otherwise) really hold now.
    bool finish(std::uint64_t number, const std::set<std::size_t>& changed,
                const std::vector<SlotChange>& actualAfter = {});
    bool markUndone(std::uint64_t number);
    bool markRedone(std::uint64_t number);

    // Oldest first, with what other processes wrote taken in.
    std::vector<JournalEntry> entries();
    // The newest entry not undone; the entry Redo would do again.
    std::optional<JournalEntry> undoable();
    std::optional<JournalEntry> redoable();

    // As of the last reading in this process; reads no file and never waits for the file's
    // lock, so any thread may ask at any time.
    JournalTitles titles() const;
    // Why the last entry this process tried to write could not be written ("not a
    // directory"); empty when it was written, or before the first. Reads no file either.
    std::string lastProblem() const;
    // Takes in what another process wrote, when the file changed since the last reading;
    // one look at the file otherwise.
    void refreshIfChanged();

  private:
    // With the file's lock held.
    void catchUp();
    void apply(const JournalRecord& record);
    JournalEntry* find(std::uint64_t number);
    bool appendAndTakeIn(const std::string& line);
    void trimIfNeeded(std::uint64_t room = 0);
    void publishTitles();

    std::mutex mutex_;
    JournalFile file_;
    const Bounds bounds_;
    std::vector<JournalEntry> entries_;  // ascending numbers
    std::vector<std::uint64_t> redo_;    // top last
    std::uint64_t lastNumber_ = 0;
    std::uint64_t largestEntry_ = 0;  // the longest entry line this process has written
    mutable std::mutex titlesMutex_;  // held only to copy the titles in or out
    JournalTitles titles_;
    std::string lastProblem_;  // guarded by titlesMutex_
};

}  // namespace harbrix
