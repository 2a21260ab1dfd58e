// One entry of a pedal's journal: what one user action was about to do to the pedal's slots,
// and, once it ended, which slots it really changed. Also the line form entries and their
// later marks take in the journal file, and the strict reader of those lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bytes.h"

namespace harbrix {

// A slot's content as the journal keeps it: a preset's bytes, or no bytes for an empty slot.
using SlotBytes = Bytes;

struct SlotChange {
    std::size_t slot = 0;
    SlotBytes before;
    // What the operation meant to put there; none while it is not known (a factory reset
    // learns what the pedal made of its slots only once the reset has run).
    std::optional<SlotBytes> after;

    bool operator==(const SlotChange&) const = default;
};

struct JournalEntry {
    std::uint64_t number = 0;  // counts up from 1 for each pedal
    std::int64_t time = 0;     // seconds since 1970, UTC
    std::string operation;     // "Move", "Copy", "Swap", ... "Factory Reset", "Write"
    std::vector<SlotChange> slots;
    // The slots the operation really changed; none while it has not ended (it is under way,
    // or the program stopped in the middle of it).
    std::optional<std::set<std::size_t>> changed;
    bool undone = false;

    bool finished() const { return changed.has_value(); }
    const SlotChange* change(std::size_t slot) const;
    bool operator==(const JournalEntry&) const = default;
};

// What one line of the journal file says.
struct JournalRecord {
    enum class Kind {
        entry,   // a new entry (with `changed` and `undone` when written out whole)
        end,     // the entry `number` ended: `changed`, and the bytes it really left
        undone,  // the entry `number` was undone
        redone,  // the entry `number` was done again
    };
    Kind kind = Kind::entry;
    std::uint64_t number = 0;
    JournalEntry entry;                   // kind entry
    std::set<std::size_t> changed;        // kind end
    std::vector<SlotChange> actualAfter;  // kind end: slots whose `after` is now known
};

// The line for each record, without its line feed.
std::string entryLine(const JournalEntry& entry);
std::string endLine(std::uint64_t number, const std::set<std::size_t>& changed,
                    const std::vector<SlotChange>& actualAfter = {});
std::string undoneLine(std::uint64_t number);
std::string redoneLine(std::uint64_t number);

// The record a line holds, or none, with `why` set, for anything that is not exactly one of
// the forms above: bad JSON, a missing or mistyped field, a slot past 255, bytes that are not
// a whole preset. Never throws.
std::optional<JournalRecord> parseJournalLine(std::string_view line, std::string& why);

// Slots as the user numbers them, in order: "03, 07".
std::string slotNumbers(const std::vector<std::size_t>& slots);

// Lower-case hexadecimal, two digits a byte.
std::string hexText(const Bytes& bytes);

}  // namespace harbrix
