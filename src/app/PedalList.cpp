#include "app/PedalList.h"

#include <QPointer>

#include <algorithm>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"

namespace harbrix {

PedalList::PedalList(Follow follow) : follow_(std::move(follow)) {}

bool PedalList::isConnected(const DeviceRef& device) const {
    return std::find(connected_.begin(), connected_.end(), device) != connected_.end();
}

DeviceRef PedalList::current() const {
    std::lock_guard lock(currentMutex_);
    return current_;
}

void PedalList::setCurrent(const DeviceRef& device) {
    std::lock_guard lock(currentMutex_);
    current_ = device;
}

std::size_t PedalList::currentIndex() const {
    const auto found = std::find(connected_.begin(), connected_.end(), current());
    return static_cast<std::size_t>(found - connected_.begin());
}

DeviceRef PedalList::find(const QString& serial) const {
    const auto found = std::find_if(connected_.begin(), connected_.end(), [&](const DeviceRef& d) {
        return QString::fromStdString(d->serial()) == serial;
    });
    return found != connected_.end() ? *found : nullptr;
}

bool PedalList::add(const DeviceRef& device) {
    connected_.push_back(device);
    return connected_.size() == 1;
}

void PedalList::remove(const DeviceRef& device) {
    connected_.erase(std::remove(connected_.begin(), connected_.end(), device), connected_.end());
    selections_.erase(device.get());
    restarting_.erase(device.get());
}

void PedalList::askSelection(const DeviceRef& device) {
    // The new editor follows the pedal's selection as it is now.
    selections_.erase(device.get());
    std::weak_ptr<QORUARTDevice> weak = device;
    QPointer<PedalList> self(this);
    rail(device->queue(), [weak, self] {
        const auto device = weak.lock();
        if (!device) return;
        const auto selected = presets(device).selected();
        if (!selected) return;
        const bool loaded = presets(device).isloaded();
        rail(Rails::main(), [weak, self, slot = *selected, loaded] {
            const auto device = weak.lock();
            if (self && device) self->selectionRead(device, slot, loaded);
        });
    });
}

void PedalList::selectionRead(const DeviceRef& device, std::size_t slot, bool loaded) {
    if (!isConnected(device)) return;
    selections_[device.get()] = {slot, loaded, false};
    // The slot may have been read before the answer came.
    if (presets(device).cached(slot)) presetRead(device, slot);
}

// Each pedal's editor follows that pedal's selection once, when the slot has been read; a
// pedal that is not current follows it when it is chosen and gets its editor.
void PedalList::presetRead(const DeviceRef& device, std::size_t index) {
    if (device != current()) return;
    const auto selection = selections_.find(device.get());
    if (selection == selections_.end() || selection->second.followed ||
        selection->second.slot != index)
        return;
    follow_(selection->second.slot, selection->second.loaded);
    selection->second.followed = true;
}

bool PedalList::initialized() const {
    std::lock_guard lock(currentMutex_);
    const auto selection = selections_.find(current_.get());
    return selection != selections_.end() && selection->second.followed;
}

bool PedalList::isRestarting(const DeviceRef& device) const {
    return device && restarting_.count(device.get()) != 0;
}

void PedalList::refreshPresets(const DeviceRef& device) {
    presets(device).setRefreshing(true);
    std::weak_ptr<QORUARTDevice> weak = device;
    presets(device).refreshAllPresets([weak](bool) {
        rail(Rails::main(), [weak] {
            if (const DeviceRef pedal = weak.lock()) presets(pedal).setRefreshing(false);
        });
    });
}

}  // namespace harbrix
