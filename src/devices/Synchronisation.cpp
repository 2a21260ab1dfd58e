// The initial synchronisation and its retries.
#include "devices/Synchronisation.h"

#include "devices/Preset.h"
#include "link/DeviceDelegate.h"
#include "platform/Log.h"

namespace harbrix::Synchronisation {
namespace {

const char* const kSynchronisedModel = "MIV3";

// Slots the state block says are empty and nobody has read yet are known now.
void cacheEmptySlots(QORUARTDevice& device, const LCXreply& state) {
    const std::size_t slots = device.presetsSchema().presets;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        if (state.isOccupied(static_cast<unsigned>(slot)) || device.cachedPreset(slot)) continue;
        device.setCachedPreset(Preset::emptyPresetForDevice(&device), slot);
        QORUARTDevice::deviceHasUpdatedPresetAtIndex(device.shared_from_this(), slot);
    }
}

// The first slot nobody has read, if any.
std::optional<std::size_t> firstUnread(const QORUARTDevice& device) {
    const std::size_t slots = device.presetsSchema().presets;
    for (std::size_t slot = 0; slot < slots; ++slot)
        if (!device.cachedPreset(slot)) return slot;
    return std::nullopt;
}

// One turn of a retry: the state block when it is still missing, else one unknown slot.
void retryStep(const std::weak_ptr<QORUARTDevice>& weak) {
    const auto device = weak.lock();
    if (!device || device->dead()) return;
    if (!device->stateBlockRead()) {
        const auto state = device->readDeviceState();
        if (!state) {
            device->endRetry();
            return;
        }
        device->setLcxreply(*state);
        device->setStateBlockRead(true);
        cacheEmptySlots(*device, *state);
        device->updateSettings(SettingsBlock::fromLCXreply(*state));
    }
    const auto slot = firstUnread(*device);
    if (!slot) {
        logFormat("%s :: every slot is read now", device->name().c_str());
        device->endRetry();
        return;
    }
    if (!device->refreshSlot(*slot)) {
        device->endRetry();
        return;
    }
    railBehind(device->queue(), [weak] { retryStep(weak); });
}

}  // namespace

void initial(const DeviceRef& device) {
    const auto state = device->readDeviceState();
    device->setLcxreply(state.value_or(LCXreply{}));
    device->enableHardwareControl();
    if (!state) {
        // An all-zero block would read as "no presets" and as all-zero settings.
        logFormat("%s :: the state block could not be read; its presets are not known yet",
                  device->name().c_str());
        device->setSynchronised(true);
        device->setRefreshing(false);
        return;
    }
    device->setStateBlockRead(true);
    if (device->name() == kSynchronisedModel) {
        cacheEmptySlots(*device, *state);
        for (unsigned slot = 0; slot < device->presetsSchema().presets; ++slot) {
            if (!state->isOccupied(slot) || device->refreshSlot(slot)) continue;
            logFormat(
                "%s :: the synchronisation stopped at slot %u, which did not answer; "
                "it is read again later",
                device->name().c_str(), slot + 1);
            break;
        }
    }
    device->setSynchronised(true);
    const SettingsBlock settings = SettingsBlock::fromLCXreply(*state);
    if (settings == device->settings()) {
        device->setRefreshing(false);
        return;
    }
    device->setSettings(settings);
    railBehind(Rails::main(), [device] {
        device->setRefreshing(false);
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasUpdatedSettings(device, device->settings());
    });
}

void retryUnread(const DeviceRef& device) {
    if (!device || device->name() != kSynchronisedModel || !device->synchronised() ||
        device->dead())
        return;
    if (device->stateBlockRead() && !firstUnread(*device)) return;
    if (!device->beginRetry()) return;
    std::weak_ptr<QORUARTDevice> weak = device;
    railBehind(device->queue(), [weak] { retryStep(weak); });
}

}  // namespace harbrix::Synchronisation
