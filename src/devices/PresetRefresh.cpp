// Refreshing the preset cache from the pedal, the periodic refresh, and pausing the pedal's
// queue.
#include "devices/PresetStore.h"

#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetKeeping.h"
#include "link/DeviceDelegate.h"

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

SlotBounds bounds(const PresetStore::SlotRange& range) {
    return {range.first & 0xFF, (range.first + range.count) & 0xFF};
}

}  // namespace

bool PresetStore::refreshSlot(std::size_t slot) {
    auto fresh = read(slot);
    if (!fresh) return false;
    {
        std::lock_guard lock(mutex_);
        auto& cached = presets_[slot];
        // Same saved bytes: keep the cached object, with whatever the editor did to it.
        if (cached && cached->isEqualToCleanPreset(fresh.get())) return true;
        cached = fresh;
    }
    if (const auto keeper = presetKeeper(); keeper && !fresh->empty())
        keeper->presetRead(device_, slot, *fresh);
    DeviceRegistry::deviceHasUpdatedPresetAtIndex(device_.weak_from_this().lock(), slot);
    return true;
}

void PresetStore::refreshPresets(SlotRange range, bool immediately, RefreshCompletion completed) {
    const SlotBounds slots = bounds(range);
    if (immediately) {
        bool everySlotRead = device_.name() == kRefreshedModel;
        for (std::size_t slot = slots.first; everySlotRead && slot < slots.end; ++slot)
            everySlotRead = refreshSlot(slot);
        if (completed) completed(everySlotRead);
        return;
    }
    std::weak_ptr<QORUARTDevice> weak = device_.weak_from_this();
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
                everySlotRead = device && presets(device).refreshSlot(slot);
            }
            if (completed) completed(everySlotRead);
        });
    });
}

void PresetStore::refreshAllPresets(RefreshCompletion completed) {
    refreshPresets({0, kAllSlots}, false, std::move(completed));
}

void PresetStore::refreshPreset(std::size_t slot, bool immediately) {
    if (refusesSlot(slot)) return;
    refreshPresets({slot, 1}, immediately);
}

void PresetStore::listenForPresetUpdates() {
    auto self = device_.weak_from_this().lock();
    if (!self || device_.dead()) return;
    DeviceDelegate* delegate = QORUARTDevice::delegate();
    auto shield = delegate ? delegate->deviceBeganFullRefresh(self) : nullptr;
    std::weak_ptr<QORUARTDevice> weak = self;
    rail(device_.queue(), [weak, shield] {
        auto device = weak.lock();
        if (!device) return;
        presets(device).refreshAllPresets([weak, shield](bool) {
            rail(Rails::main(), [weak, shield] {
                auto device = weak.lock();
                if (!device) return;
                if (DeviceDelegate* delegate = QORUARTDevice::delegate())
                    delegate->deviceEndedFullRefresh(device, shield);
                Rails::main()->after(kListenInterval, [weak] {
                    if (auto device = weak.lock()) presets(device).listenForPresetUpdates();
                });
            });
        });
    });
}

void PresetStore::setPaused(bool paused) {
    paused_ = paused;
    if (paused)
        railsSuspend(device_.queue());
    else
        railsResume(device_.queue());
}

}  // namespace harbrix
