// The initial synchronisation and its retries.
#include "devices/Synchronisation.h"

#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetKeeping.h"
#include "devices/PresetStore.h"
#include "link/DeviceDelegate.h"
#include "platform/Log.h"

namespace harbrix::Synchronisation {
namespace {

const char* const kSynchronisedModel = "MIV3";

// Slots the state block says are empty and nobody has read yet are known now.
void cacheEmptySlots(QORUARTDevice& device, const LCXreply& state) {
    const std::size_t slots = device.presetsSchema().presets;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        if (state.isOccupied(static_cast<unsigned>(slot)) || presets(device).cached(slot)) continue;
        presets(device).setCached(Preset::emptyPresetForDevice(&device), slot);
        DeviceRegistry::deviceHasUpdatedPresetAtIndex(device.shared_from_this(), slot);
    }
}

// The first slot nobody has read, if any.
std::optional<std::size_t> firstUnread(const QORUARTDevice& device) {
    const std::size_t slots = device.presetsSchema().presets;
    for (std::size_t slot = 0; slot < slots; ++slot)
        if (!presets(device).cached(slot)) return slot;
    return std::nullopt;
}

// One turn of a retry: the state block when it is still missing, else one unknown slot.
void retryStep(const std::weak_ptr<QORUARTDevice>& weak) {
    const auto device = weak.lock();
    if (!device || device->dead()) return;
    if (!device->bringUp().stateBlockRead()) {
        const auto state = device->bringUp().readDeviceState();
        if (!state) {
            presets(device).endRetry();
            return;
        }
        device->bringUp().setLcxreply(*state);
        device->bringUp().setStateBlockRead(true);
        cacheEmptySlots(*device, *state);
        device->ram().updateSettings(SettingsBlock::fromLCXreply(*state));
    }
    const auto slot = firstUnread(*device);
    if (!slot) {
        logFormat("%s :: every slot is read now", device->name().c_str());
        presets(device).endRetry();
        return;
    }
    if (!presets(device).refreshSlot(*slot)) {
        presets(device).endRetry();
        return;
    }
    railBehind(device->queue(), [weak] { retryStep(weak); });
}

}  // namespace

void initial(const DeviceRef& device) {
    const auto state = device->bringUp().readDeviceState();
    device->bringUp().setLcxreply(state.value_or(LCXreply{}));
    device->bringUp().enableHardwareControl();
    if (!state) {
        // An all-zero block would read as "no presets" and as all-zero settings.
        logFormat("%s :: the state block could not be read; its presets are not known yet",
                  device->name().c_str());
        presets(device).setSynchronised(true);
        presets(device).setRefreshing(false);
        return;
    }
    device->bringUp().setStateBlockRead(true);
    if (device->name() == kSynchronisedModel) {
        cacheEmptySlots(*device, *state);
        for (unsigned slot = 0; slot < device->presetsSchema().presets; ++slot) {
            if (!state->isOccupied(slot) || presets(device).refreshSlot(slot)) continue;
            logFormat(
                "%s :: the synchronisation stopped at slot %u, which did not answer; "
                "it is read again later",
                device->name().c_str(), slot + 1);
            break;
        }
    }
    presets(device).setSynchronised(true);
    if (const auto keeper = presetKeeper()) keeper->pedalChanged(*device);
    const SettingsBlock settings = SettingsBlock::fromLCXreply(*state);
    if (settings == device->ram().settings()) {
        presets(device).setRefreshing(false);
        return;
    }
    device->ram().setSettings(settings);
    railBehind(Rails::main(), [device] {
        presets(device).setRefreshing(false);
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasUpdatedSettings(device, device->ram().settings());
    });
}

void retryUnread(const DeviceRef& device) {
    if (!device || device->name() != kSynchronisedModel || !presets(device).synchronised() ||
        device->dead())
        return;
    if (device->bringUp().stateBlockRead() && !firstUnread(*device)) return;
    if (!presets(device).beginRetry()) return;
    std::weak_ptr<QORUARTDevice> weak = device;
    railBehind(device->queue(), [weak] { retryStep(weak); });
}

}  // namespace harbrix::Synchronisation
