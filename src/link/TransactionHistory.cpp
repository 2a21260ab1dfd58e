// Recording exchanges and finding the significant ones around an index.
#include "link/TransactionHistory.h"

#include <algorithm>

#include "link/Commands.h"

namespace harbrix {
namespace {

// The significant (not skippable) entries around a position of the history.
struct HistoryScan {
    const std::deque<HistoryEntry>& entries;
    std::size_t index;

    static bool significant(const HistoryEntry& entry) { return !entry.skippable; }

    // The nearest significant entry at a position below the index.
    std::optional<HistoryEntry> lastBelow() const {
        const std::size_t end = std::min(index, entries.size());
        for (std::size_t i = end; i-- > 0;)
            if (significant(entries[i])) return entries[i];
        return std::nullopt;
    }
    std::optional<HistoryEntry> firstAbove() const {
        if (index >= entries.size()) return std::nullopt;
        for (std::size_t i = index + 1; i < entries.size(); ++i)
            if (significant(entries[i])) return entries[i];
        return std::nullopt;
    }
    // The entry at the index (the last one past the end) when it is significant.
    std::optional<HistoryEntry> at() const {
        if (entries.empty()) return std::nullopt;
        const HistoryEntry& entry = entries[std::min(index, entries.size() - 1)];
        return significant(entry) ? std::optional(entry) : std::nullopt;
    }
};

}  // namespace

void TransactionHistory::record(std::uint8_t command, const Bytes& request, const Bytes& reply,
                                const UARTResponse& response) {
    std::lock_guard lock(mutex_);
    if (!history_) return;
    HistoryEntry entry;
    entry.request = request;
    entry.response = reply;
    entry.command = std::string(commandName(command).value_or(""));
    entry.index = recorded_++;
    entry.skippable = command == Command::READ_PRESET && response.error == 6;
    history_->push_back(std::move(entry));
    if (history_->size() > kLength) history_->pop_front();
}

void TransactionHistory::enable() {
    std::lock_guard lock(mutex_);
    if (!history_) history_.emplace();
}

void TransactionHistory::drop() {
    std::lock_guard lock(mutex_);
    if (history_) history_->clear();
    history_.reset();
    recorded_ = 0;
}

bool TransactionHistory::enabled() const {
    std::lock_guard lock(mutex_);
    return history_.has_value();
}

std::vector<HistoryEntry> TransactionHistory::entries() const {
    std::lock_guard lock(mutex_);
    if (!history_) return {};
    return {history_->begin(), history_->end()};
}

// Entries keep the index they were recorded with; the oldest have gone once the history is
// full. An index before the first kept entry is taken as that entry.
std::size_t TransactionHistory::position(std::size_t index) const {
    const std::size_t first = recorded_ - history_->size();
    return index < first ? 0 : index - first;
}

std::optional<HistoryEntry> TransactionHistory::historicalEvent(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (!history_ || history_->empty()) return std::nullopt;
    return (*history_)[std::min(position(index), history_->size() - 1)];
}

std::optional<HistoryEntry> TransactionHistory::historicalEventBeforeIndexIgnoringEmptyPresets(
    std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (!history_) return std::nullopt;
    const HistoryScan scan{*history_, position(index)};
    if (auto entry = scan.lastBelow()) return entry;
    if (auto entry = scan.at()) return entry;
    return scan.firstAbove();
}

std::optional<HistoryEntry> TransactionHistory::historicalEventAfterIndexIgnoringEmptyPresets(
    std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (!history_) return std::nullopt;
    const HistoryScan scan{*history_, position(index)};
    if (auto entry = scan.firstAbove()) return entry;
    if (auto entry = scan.at()) return entry;
    return scan.lastBelow();
}

}  // namespace harbrix
