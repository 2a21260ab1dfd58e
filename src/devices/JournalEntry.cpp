// Journal lines are JSON objects, one a line:
//   {"entry":7,"time":1714557600,"operation":"Swap",
//    "slots":[{"slot":2,"before":"<hex>","after":"<hex>"},...]}      an entry as it begins
//   {"end":7,"changed":[2,6]}                                        ... and as it ends
//   {"end":9,"changed":[0],"after":[{"slot":0,"after":"<hex>"}]}     ... with what it left
//   {"undone":7}  {"redone":7}                                        later marks
// A slot's bytes are hexadecimal text, null for an empty slot; an entry's "after" is missing
// where it is not known yet. An entry written out whole (when the file is trimmed) also
// carries "changed" and, when set, "undone":true.
#include "devices/JournalEntry.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "devices/Preset.h"

namespace harbrix {
namespace {

using nlohmann::json;

constexpr std::size_t kLargestPreset = 4096;
constexpr std::size_t kSlotLimit = 256;
constexpr std::size_t kOperationLength = 64;
// Entry object, its slot list, one slot: nothing deeper is ever written.
constexpr int kDeepest = 3;

json slotBytes(const SlotBytes& bytes) {
    return bytes.empty() ? json(nullptr) : json(hexText(bytes));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Refuses nesting deeper than any journal line has before the JSON reader sees the line.
bool shallow(std::string_view line) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kDeepest) return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

bool onlyKeys(const json& object, std::initializer_list<const char*> allowed) {
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* name : allowed) known = known || key == name;
        if (!known) return false;
    }
    return true;
}

std::optional<std::uint64_t> unsignedField(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_unsigned()) return std::nullopt;
    return it->get<std::uint64_t>();
}

std::optional<std::size_t> slotNumber(const json& value) {
    if (!value.is_number_unsigned()) return std::nullopt;
    const auto slot = value.get<std::uint64_t>();
    if (slot >= kSlotLimit) return std::nullopt;
    return static_cast<std::size_t>(slot);
}

// null: an empty slot; otherwise a whole preset in lower-case hexadecimal.
std::optional<SlotBytes> presetBytes(const json& value) {
    if (value.is_null()) return SlotBytes{};
    if (!value.is_string()) return std::nullopt;
    const auto& text = value.get_ref<const std::string&>();
    if (text.size() % 2 != 0 || text.size() / 2 < Preset::kSize || text.size() / 2 > kLargestPreset)
        return std::nullopt;
    SlotBytes bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::set<std::size_t>> slotSet(const json& value) {
    if (!value.is_array()) return std::nullopt;
    std::set<std::size_t> slots;
    for (const json& item : value) {
        const auto slot = slotNumber(item);
        if (!slot || !slots.insert(*slot).second) return std::nullopt;
    }
    return slots;
}

// {"slot":N,"before":...,"after":...}; `withBefore` false for the "after" list of an end.
std::optional<SlotChange> slotChange(const json& value, bool withBefore) {
    if (!value.is_object()) return std::nullopt;
    if (!onlyKeys(value, {"slot", "before", "after"})) return std::nullopt;
    SlotChange change;
    const auto slot = value.contains("slot") ? slotNumber(value["slot"]) : std::nullopt;
    if (!slot) return std::nullopt;
    change.slot = *slot;
    if (withBefore) {
        if (!value.contains("before")) return std::nullopt;
        auto before = presetBytes(value["before"]);
        if (!before) return std::nullopt;
        change.before = std::move(*before);
    } else if (value.contains("before")) {
        return std::nullopt;
    }
    if (value.contains("after")) {
        change.after = presetBytes(value["after"]);
        if (!change.after) return std::nullopt;
    } else if (!withBefore) {
        return std::nullopt;
    }
    return change;
}

std::optional<std::vector<SlotChange>> slotChanges(const json& value, bool withBefore) {
    if (!value.is_array() || value.size() > kSlotLimit) return std::nullopt;
    std::vector<SlotChange> changes;
    std::set<std::size_t> seen;
    for (const json& item : value) {
        auto change = slotChange(item, withBefore);
        if (!change || !seen.insert(change->slot).second) return std::nullopt;
        changes.push_back(std::move(*change));
    }
    return changes;
}

std::optional<JournalRecord> parseEntry(const json& object, std::string& why) {
    if (!onlyKeys(object, {"entry", "time", "operation", "slots", "changed", "undone"})) {
        why = "unknown field in an entry";
        return std::nullopt;
    }
    JournalRecord record;
    JournalEntry& entry = record.entry;
    const auto number = unsignedField(object, "entry");
    const auto time = unsignedField(object, "time");
    const auto operation = object.find("operation");
    const auto slots = object.find("slots");
    if (!number || *number == 0 || !time || operation == object.end() || !operation->is_string() ||
        slots == object.end()) {
        why = "an entry without its number, time, operation or slots";
        return std::nullopt;
    }
    entry.number = record.number = *number;
    entry.time = static_cast<std::int64_t>(*time);
    entry.operation = operation->get<std::string>();
    if (entry.operation.empty() || entry.operation.size() > kOperationLength) {
        why = "an entry with a bad operation name";
        return std::nullopt;
    }
    auto changes = slotChanges(*slots, true);
    if (!changes || changes->empty()) {
        why = "an entry with bad slots";
        return std::nullopt;
    }
    entry.slots = std::move(*changes);
    if (object.contains("changed")) {
        entry.changed = slotSet(object["changed"]);
        if (!entry.changed) {
            why = "an entry with a bad list of changed slots";
            return std::nullopt;
        }
    }
    if (object.contains("undone")) {
        if (!object["undone"].is_boolean()) {
            why = "an entry with a bad undone mark";
            return std::nullopt;
        }
        entry.undone = object["undone"].get<bool>();
    }
    return record;
}

std::optional<JournalRecord> parseEnd(const json& object, std::string& why) {
    JournalRecord record;
    record.kind = JournalRecord::Kind::end;
    const auto number = unsignedField(object, "end");
    const auto changed = object.contains("changed") ? slotSet(object["changed"]) : std::nullopt;
    if (!onlyKeys(object, {"end", "changed", "after"}) || !number || !changed) {
        why = "a bad end mark";
        return std::nullopt;
    }
    record.number = *number;
    record.changed = *changed;
    if (object.contains("after")) {
        auto after = slotChanges(object["after"], false);
        if (!after) {
            why = "an end mark with bad bytes";
            return std::nullopt;
        }
        record.actualAfter = std::move(*after);
    }
    return record;
}

}  // namespace

const SlotChange* JournalEntry::change(std::size_t slot) const {
    for (const SlotChange& c : slots)
        if (c.slot == slot) return &c;
    return nullptr;
}

std::string slotNumbers(const std::vector<std::size_t>& slots) {
    std::string text;
    for (const std::size_t slot : std::set<std::size_t>(slots.begin(), slots.end())) {
        char number[8];
        std::snprintf(number, sizeof number, "%02zu", slot + 1);
        text += (text.empty() ? "" : ", ") + std::string(number);
    }
    return text;
}

std::string hexText(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

std::string entryLine(const JournalEntry& entry) {
    json slots = json::array();
    for (const SlotChange& change : entry.slots) {
        json slot = {{"slot", change.slot}, {"before", slotBytes(change.before)}};
        if (change.after) slot["after"] = slotBytes(*change.after);
        slots.push_back(std::move(slot));
    }
    json object = {{"entry", entry.number},
                   {"time", entry.time < 0 ? 0 : entry.time},
                   {"operation", entry.operation},
                   {"slots", std::move(slots)}};
    if (entry.changed) object["changed"] = *entry.changed;
    if (entry.undone) object["undone"] = true;
    // Names come from the program, but a replacement character beats a line that cannot be
    // written.
    return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string endLine(std::uint64_t number, const std::set<std::size_t>& changed,
                    const std::vector<SlotChange>& actualAfter) {
    json object = {{"end", number}, {"changed", changed}};
    if (!actualAfter.empty()) {
        json after = json::array();
        for (const SlotChange& change : actualAfter)
            if (change.after)
                after.push_back({{"slot", change.slot}, {"after", slotBytes(*change.after)}});
        object["after"] = std::move(after);
    }
    return object.dump();
}

std::string undoneLine(std::uint64_t number) {
    return json{{"undone", number}}.dump();
}

std::string redoneLine(std::uint64_t number) {
    return json{{"redone", number}}.dump();
}

std::optional<JournalRecord> parseJournalLine(std::string_view line, std::string& why) {
    if (!shallow(line)) {
        why = "nested too deeply";
        return std::nullopt;
    }
    const json object = json::parse(line, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
        why = "not a JSON object";
        return std::nullopt;
    }
    if (object.contains("entry")) return parseEntry(object, why);
    if (object.contains("end")) return parseEnd(object, why);
    for (const auto kind : {JournalRecord::Kind::undone, JournalRecord::Kind::redone}) {
        const char* key = kind == JournalRecord::Kind::undone ? "undone" : "redone";
        if (!object.contains(key)) continue;
        const auto number = unsignedField(object, key);
        if (!number || object.size() != 1) {
            why = std::string("a bad ") + key + " mark";
            return std::nullopt;
        }
        JournalRecord record;
        record.kind = kind;
        record.number = *number;
        return record;
    }
    why = "no known record";
    return std::nullopt;
}

}  // namespace harbrix
