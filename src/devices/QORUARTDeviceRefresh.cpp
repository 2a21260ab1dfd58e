// Refreshing the preset cache from the pedal, the periodic refresh, pausing the pedal's
// queue, and navigation through the recorded transactions.
#include <algorithm>

#include "devices/Preset.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"

namespace harbrix {
namespace {

constexpr std::size_t kAllSlots = 100;
constexpr double kListenInterval = 5.0;
const char* const kRefreshedModel = "MIV3";

// The range's ends as the pedal's 8-bit slot numbers; nothing is refreshed unless first < end.
struct SlotBounds {
    std::size_t first;
    std::size_t end;
};

SlotBounds bounds(const QORUARTDevice::SlotRange& range) {
    return {range.first & 0xFF, (range.first + range.count) & 0xFF};
}

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

bool QORUARTDevice::refreshSlot(std::size_t slot) {
    auto fresh = preset(slot);
    if (!fresh) return false;
    {
        std::lock_guard lock(presetsMutex_);
        auto& cached = presets_[slot];
        // Same saved bytes: keep the cached object, with whatever the editor did to it.
        if (cached && cached->isEqualToCleanPreset(fresh.get())) return true;
        cached = std::move(fresh);
    }
    deviceHasUpdatedPresetAtIndex(weak_from_this().lock(), slot);
    return true;
}

void QORUARTDevice::refreshPresets(SlotRange range, bool immediately, RefreshCompletion completed) {
    const SlotBounds slots = bounds(range);
    if (immediately) {
        bool everySlotRead = name_ == kRefreshedModel;
        for (std::size_t slot = slots.first; everySlotRead && slot < slots.end; ++slot)
            everySlotRead = refreshSlot(slot);
        if (completed) completed(everySlotRead);
        return;
    }
    std::weak_ptr<QORUARTDevice> weak = weak_from_this();
    rail(Rails::main(), [weak, slots, completed = std::move(completed)] {
        auto device = weak.lock();
        if (!device || device->name() != kRefreshedModel) {
            if (completed) completed(false);
            return;
        }
        railBehind(device->queue(), [weak, slots, completed] {
            bool everySlotRead = true;
            for (std::size_t slot = slots.first; everySlotRead && slot < slots.end; ++slot) {
                auto device = weak.lock();
                everySlotRead = device && device->refreshSlot(slot);
            }
            if (completed) completed(everySlotRead);
        });
    });
}

void QORUARTDevice::refreshAllPresets(RefreshCompletion completed) {
    refreshPresets({0, kAllSlots}, false, std::move(completed));
}

void QORUARTDevice::refreshPreset(std::size_t slot, bool immediately) {
    if (refusesSlot(slot)) return;
    refreshPresets({slot, 1}, immediately);
}

void QORUARTDevice::listenForPresetUpdates() {
    auto self = weak_from_this().lock();
    if (!self || dead_) return;
    DeviceDelegate* delegate = QORUARTDevice::delegate();
    auto shield = delegate ? delegate->deviceBeganFullRefresh(self) : nullptr;
    std::weak_ptr<QORUARTDevice> weak = self;
    rail(queue_, [weak, shield] {
        auto device = weak.lock();
        if (!device) return;
        device->refreshAllPresets([weak, shield](bool) {
            rail(Rails::main(), [weak, shield] {
                auto device = weak.lock();
                if (!device) return;
                if (DeviceDelegate* delegate = QORUARTDevice::delegate())
                    delegate->deviceEndedFullRefresh(device, shield);
                Rails::main()->after(kListenInterval, [weak] {
                    if (auto device = weak.lock()) device->listenForPresetUpdates();
                });
            });
        });
    });
}

void QORUARTDevice::setPaused(bool paused) {
    paused_ = paused;
    if (paused)
        railsSuspend(queue_);
    else
        railsResume(queue_);
}

// Entries keep the index they were recorded with; the oldest have gone once the history is
// full. An index before the first kept entry is taken as that entry.
std::size_t QORUARTDevice::historyPosition(std::size_t index) const {
    const std::size_t first = recorded_ - history_->size();
    return index < first ? 0 : index - first;
}

std::optional<HistoryEntry> QORUARTDevice::historicalEvent(std::size_t index) const {
    std::lock_guard lock(historyMutex_);
    if (!history_ || history_->empty()) return std::nullopt;
    return (*history_)[std::min(historyPosition(index), history_->size() - 1)];
}

std::optional<HistoryEntry> QORUARTDevice::historicalEventBeforeIndexIgnoringEmptyPresets(
    std::size_t index) const {
    std::lock_guard lock(historyMutex_);
    if (!history_) return std::nullopt;
    const HistoryScan scan{*history_, historyPosition(index)};
    if (auto entry = scan.lastBelow()) return entry;
    if (auto entry = scan.at()) return entry;
    return scan.firstAbove();
}

std::optional<HistoryEntry> QORUARTDevice::historicalEventAfterIndexIgnoringEmptyPresets(
    std::size_t index) const {
    std::lock_guard lock(historyMutex_);
    if (!history_) return std::nullopt;
    const HistoryScan scan{*history_, historyPosition(index)};
    if (auto entry = scan.firstAbove()) return entry;
    if (auto entry = scan.at()) return entry;
    return scan.lastBelow();
}

}  // namespace harbrix
