// The debug-mode record of a pedal's exchanges and the navigation through it: the newest
// exchanges are kept, each with the index it was recorded with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/UARTResponse.h"
#include "platform/Bytes.h"

namespace harbrix {

// One recorded transaction (debug mode).
struct HistoryEntry {
    Bytes request;
    Bytes response;
    std::string command;
    std::size_t index = 0;
    bool skippable = false;  // a READ_PRESET of an empty slot
};

class TransactionHistory {
  public:
    // The newest exchanges kept; an entry keeps its index when older ones are dropped, and
    // navigation takes those indices.
    static constexpr std::size_t kLength = 10000;

    void enable();
    void drop();
    bool enabled() const;
    std::vector<HistoryEntry> entries() const;
    // Keeps one exchange when the history is enabled.
    void record(std::uint8_t command, const Bytes& request, const Bytes& reply,
                const UARTResponse& response);

    // Navigation; none without entries. An entry is significant unless it is skippable (the
    // read of an empty slot).
    // The entry at `index`, or the last one for an index past the end.
    std::optional<HistoryEntry> historicalEvent(std::size_t index) const;
    // The nearest significant entry below `index`, else the one at it, else the nearest above.
    std::optional<HistoryEntry> historicalEventBeforeIndexIgnoringEmptyPresets(
        std::size_t index) const;
    // The nearest significant entry above `index`, else the one at it, else the nearest below.
    std::optional<HistoryEntry> historicalEventAfterIndexIgnoringEmptyPresets(
        std::size_t index) const;

  private:
    // Where the entry recorded with that index sits in the history (the lock held).
    std::size_t position(std::size_t index) const;

    mutable std::mutex mutex_;
    std::optional<std::deque<HistoryEntry>> history_;
    // Entries recorded in all, the dropped ones included.
    std::size_t recorded_ = 0;
};

}  // namespace harbrix
