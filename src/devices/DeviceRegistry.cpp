// Creating a device for a discovered pedal, its connection with the initial
// synchronisation, its disconnection, and the announcements to the delegate. Every delegate
// call is made on the main rail.
#include "devices/DeviceRegistry.h"

#include "devices/DeviceRails.h"
#include "devices/DeviceRecord.h"
#include "devices/Meta.h"
#include "devices/RegistryState.h"
#include "devices/Synchronisation.h"
#include "link/DeviceDelegate.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace harbrix {

RegistryState& registryState() {
    // Never destroyed: the check rail may still be at work while the program exits.
    static RegistryState* registry = new RegistryState;
    return *registry;
}

bool DeviceRegistry::initialize(DeviceDelegate* delegate) {
    if (delegate == nullptr) return false;
    if (registryState().initialized.exchange(true)) return true;
    QORUARTDevice::setDelegate(delegate);
    listenForDevices();
    return true;
}

DeviceRef DeviceRegistry::device(const Meta& meta) {
    auto& registry = registryState();
    LineFactory factory;
    {
        std::lock_guard lock(registry.factoryMutex);
        factory = registry.lineFactory;
    }
    const std::string filename = meta.filename();
    auto device = std::make_shared<QORUARTDevice>(filename, meta.name(), meta.serial(),
                                                  factory ? factory(filename) : nullptr);
    device->setDeviceRoot(meta.folder());
    if (!device->loadCache()) return nullptr;
    auto queue = railsQueue(filename, QueuePriority::userInteractive);
    if (!queue) return nullptr;
    device->setQueue(std::move(queue));
    if (fileExists(homeDirectory() + "/Desktop/Harbrix.debug")) device->line().history().enable();
    return device;
}

void DeviceRegistry::deviceIsConnected(const DeviceRef& device) {
    if (!device) return;
    railBehind(Rails::main(), [device] {
        // Gone again before we got here: the delegate hears of neither.
        DeviceRecord& record = deviceRecord(*device);
        if (record.withdrawn) return;
        record.announced = true;
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceIsConnected(device);
        presets(device).setRefreshing(true);
        // Held weakly: a queue stopped by a disconnection keeps this block until the device
        // goes, and must not keep the device alive.
        std::weak_ptr<QORUARTDevice> weak = device;
        railBehind(device->queue(), [weak] {
            if (const auto alive = weak.lock()) Synchronisation::initial(alive);
        });
    });
}

void DeviceRegistry::deviceHasBeenDisconnected(const DeviceRef& device) {
    if (!device) return;
    // Work still running on its queue (a restart waiting for it) gives up.
    device->setDead(true);
    railsSuspend(device->queue());
    railsDrop(device->queue());
    device->line().history().drop();
    rail(Rails::main(), [device] {
        DeviceRecord& record = deviceRecord(*device);
        if (!record.announced) {
            record.withdrawn = true;
            return;
        }
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasBeenDisconnected(device);
    });
}

void DeviceRegistry::remove(const DeviceRef& device) {
    if (!device) return;
    // A copy: `device` may be the registry's own entry, erased below.
    const DeviceRef self = device;
    deviceHasBeenDisconnected(self);
    auto& devices = registryState().devices;
    if (const auto it = devices.find(self->filename()); it != devices.end() && it->second == self)
        devices.erase(it);
}

void DeviceRegistry::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    if (!device) return;
    rail(Rails::main(), [device, index] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasUpdatedPresetAtIndex(device, index);
    });
}

void DeviceRegistry::deviceInternalStateChanged(const DeviceRef& device, const std::string& state) {
    if (!device) return;
    rail(Rails::main(), [device, state] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceInternalStateChanged(device, state);
    });
}

DeviceRef DeviceRegistry::currentDevice() {
    DeviceDelegate* delegate = QORUARTDevice::delegate();
    return delegate != nullptr ? delegate->currentDevice() : nullptr;
}

void DeviceRegistry::setLineFactory(LineFactory factory) {
    auto& registry = registryState();
    std::lock_guard lock(registry.factoryMutex);
    registry.lineFactory = std::move(factory);
}

void DeviceRegistry::resetRegistry() {
    auto& registry = registryState();
    railSync(DeviceRails::check(), [&registry] {
        ++registry.generation;
        registry.devices.clear();
        registry.failures.clear();
        registry.unreadable = false;
    });
    registry.initialized = false;
    QORUARTDevice::setDelegate(nullptr);
}

}  // namespace harbrix
