#include "devices/Journal.h"

#include <algorithm>
#include <ctime>
#include <map>

#include "link/QORUARTDevice.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace harbrix {
namespace {

bool nameable(const std::string& text) {
    if (text.empty() || text.front() == '.') return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

}  // namespace

std::shared_ptr<Journal> Journal::forPedal(const std::string& model, const std::string& serial) {
    if (!nameable(model) || !nameable(serial)) return nullptr;
    const std::string path = journalDirectory() + "/" + model + "-" + serial + ".jsonl";
    // Never destroyed: a pedal's queue may still journal while the program exits.
    struct Open {
        std::mutex mutex;
        std::map<std::string, std::shared_ptr<Journal>> journals;
    };
    static Open* open = new Open;
    std::lock_guard lock(open->mutex);
    auto& journal = open->journals[path];
    if (!journal) journal = std::make_shared<Journal>(path);
    return journal;
}

std::shared_ptr<Journal> Journal::forDevice(const QORUARTDevice& device) {
    return forPedal(device.name(), device.serial());
}

Journal::Journal(std::string path, Bounds bounds) : file_(std::move(path)), bounds_(bounds) {}

std::optional<std::uint64_t> Journal::begin(const std::string& operation,
                                            std::vector<SlotChange> slots, std::string* problem) {
    std::lock_guard guard(mutex_);
    auto failed = [&] {
        const std::string why = systemErrorText(file_.error());
        logFormat("journal %s: cannot write (%s)", path().c_str(), why.c_str());
        if (problem) *problem = why;
        std::lock_guard titles(titlesMutex_);
        lastProblem_ = why;
        return std::nullopt;
    };
    const auto lock = file_.lock();
    if (!lock) return failed();
    catchUp();
    JournalEntry entry;
    entry.number = lastNumber_ + 1;
    entry.time = static_cast<std::int64_t>(std::time(nullptr));
    entry.operation = operation;
    entry.slots = std::move(slots);
    const std::string line = entryLine(entry);
    largestEntry_ = std::max<std::uint64_t>(largestEntry_, line.size() + 1);
    // Only a file past its size bound is trimmed before the operation; the count is kept
    // once it has ended, and room for the next entry made then, so the pedal is seldom kept
    // waiting for a rewrite.
    if (file_.size() + line.size() + 1 > bounds_.bytes) trimIfNeeded(line.size() + 1);
    if (!file_.append({line})) return failed();
    catchUp();
    if (!find(entry.number)) return failed();
    std::lock_guard titles(titlesMutex_);
    lastProblem_.clear();
    return entry.number;
}

bool Journal::finish(std::uint64_t number, const std::set<std::size_t>& changed,
                     const std::vector<SlotChange>& actualAfter) {
    std::lock_guard guard(mutex_);
    const auto lock = file_.lock();
    if (!lock) return false;
    catchUp();
    if (!find(number)) return false;
    const bool written = appendAndTakeIn(endLine(number, changed, actualAfter));
    trimIfNeeded(largestEntry_);
    return written;
}

bool Journal::markUndone(std::uint64_t number) {
    std::lock_guard guard(mutex_);
    const auto lock = file_.lock();
    if (!lock) return false;
    catchUp();
    if (!find(number)) return false;
    const bool written = appendAndTakeIn(undoneLine(number));
    trimIfNeeded();
    return written;
}

bool Journal::markRedone(std::uint64_t number) {
    std::lock_guard guard(mutex_);
    const auto lock = file_.lock();
    if (!lock) return false;
    catchUp();
    if (!find(number)) return false;
    const bool written = appendAndTakeIn(redoneLine(number));
    trimIfNeeded();
    return written;
}

std::vector<JournalEntry> Journal::entries() {
    std::lock_guard guard(mutex_);
    if (const auto lock = file_.lock()) catchUp();
    return entries_;
}

JournalTitles Journal::titles() const {
    std::lock_guard guard(titlesMutex_);
    return titles_;
}

std::string Journal::lastProblem() const {
    std::lock_guard guard(titlesMutex_);
    return lastProblem_;
}

void Journal::refreshIfChanged() {
    std::lock_guard guard(mutex_);
    if (!file_.changedOnDisk()) return;
    if (const auto lock = file_.lock()) catchUp();
}

void Journal::publishTitles() {
    JournalTitles titles;
    for (auto it = entries_.rbegin(); it != entries_.rend() && titles.undo.empty(); ++it)
        if (!it->undone) titles.undo = it->operation;
    if (const JournalEntry* entry = redo_.empty() ? nullptr : find(redo_.back()))
        titles.redo = entry->operation;
    std::lock_guard guard(titlesMutex_);
    titles_ = std::move(titles);
}

std::optional<JournalEntry> Journal::undoable() {
    std::lock_guard guard(mutex_);
    if (const auto lock = file_.lock()) catchUp();
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (!it->undone) return *it;
    return std::nullopt;
}

std::optional<JournalEntry> Journal::redoable() {
    std::lock_guard guard(mutex_);
    if (const auto lock = file_.lock()) catchUp();
    if (redo_.empty()) return std::nullopt;
    const JournalEntry* entry = find(redo_.back());
    return entry ? std::optional(*entry) : std::nullopt;
}

void Journal::catchUp() {
    auto reading = file_.readNew();
    if (reading.restarted) {
        entries_.clear();
        redo_.clear();
    }
    if (reading.damaged > 0)
        logFormat("journal %s: skipped %zu cut-off or over-long line(s)", path().c_str(),
                  reading.damaged);
    for (const std::string& line : reading.lines) {
        if (line.empty()) continue;
        std::string why;
        const auto record = parseJournalLine(line, why);
        if (!record) {
            logFormat("journal %s: skipped a damaged line (%s)", path().c_str(), why.c_str());
            continue;
        }
        apply(*record);
    }
    publishTitles();
}

void Journal::apply(const JournalRecord& record) {
    using Kind = JournalRecord::Kind;
    if (record.kind == Kind::entry) {
        if (record.number <= lastNumber_ && find(record.number)) {
            logFormat("journal %s: skipped a second entry %llu", path().c_str(),
                      static_cast<unsigned long long>(record.number));
            return;
        }
        lastNumber_ = std::max(lastNumber_, record.number);
        const auto at = std::upper_bound(
            entries_.begin(), entries_.end(), record.number,
            [](std::uint64_t number, const JournalEntry& e) { return number < e.number; });
        entries_.insert(at, record.entry);
        redo_.clear();
        return;
    }
    JournalEntry* entry = find(record.number);
    if (!entry) {
        // Its entry was trimmed away, or the line naming it was damaged.
        logFormat("journal %s: skipped a mark for a missing entry %llu", path().c_str(),
                  static_cast<unsigned long long>(record.number));
        return;
    }
    std::erase(redo_, record.number);
    switch (record.kind) {
        case Kind::end:
            if (entry->finished()) return;
            entry->changed = record.changed;
            for (const SlotChange& actual : record.actualAfter) {
                for (SlotChange& change : entry->slots)
                    if (change.slot == actual.slot) change.after = actual.after;
            }
            return;
        case Kind::undone:
            entry->undone = true;
            redo_.push_back(record.number);
            return;
        case Kind::redone:
            entry->undone = false;
            return;
        case Kind::entry:
            return;
    }
}

JournalEntry* Journal::find(std::uint64_t number) {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), number,
        [](const JournalEntry& e, std::uint64_t wanted) { return e.number < wanted; });
    return it != entries_.end() && it->number == number ? &*it : nullptr;
}

bool Journal::appendAndTakeIn(const std::string& line) {
    if (!file_.append({line})) {
        logFormat("journal %s: cannot write", path().c_str());
        return false;
    }
    catchUp();
    return true;
}

// Keeps the newest entries that fit both bounds, each written out whole, then the redo stack;
// `room` bytes are left for a line about to be added. A trim the size forces leaves an eighth
// of the size bound free besides, so that a journal of large entries (a factory reset's hold
// every slot) is rewritten once in many entries rather than for each one.
void Journal::trimIfNeeded(std::uint64_t room) {
    const bool tooLarge = file_.size() + room > bounds_.bytes;
    if (entries_.size() <= bounds_.entries && !tooLarge) return;
    const std::uint64_t budget = tooLarge ? bounds_.bytes - bounds_.bytes / 8 : bounds_.bytes;
    std::vector<std::string> kept;
    std::uint64_t size = room + redo_.size() * (undoneLine(lastNumber_).size() + 1);
    for (auto it = entries_.rbegin(); it != entries_.rend() && kept.size() < bounds_.entries;
         ++it) {
        std::string line = entryLine(*it);
        if (size + line.size() + 1 > budget) break;
        size += line.size() + 1;
        kept.push_back(std::move(line));
    }
    std::reverse(kept.begin(), kept.end());
    const std::size_t dropped = entries_.size() - kept.size();
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(dropped));
    std::erase_if(redo_, [this](std::uint64_t number) { return !find(number); });
    for (const std::uint64_t number : redo_) kept.push_back(undoneLine(number));
    if (!file_.replace(kept)) logFormat("journal %s: cannot trim", path().c_str());
    publishTitles();
}

}  // namespace harbrix
