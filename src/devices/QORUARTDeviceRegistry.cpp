// The device registry: creating a device for a discovered pedal, its connection with the
// initial synchronisation, its disconnection, and the announcements to the delegate. Every
// delegate call is made on the main rail.
#include "devices/DeviceRails.h"
#include "devices/DeviceRegistry.h"
#include "devices/Meta.h"
#include "devices/Synchronisation.h"
#include "link/DeviceDelegate.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace harbrix {

DeviceRegistry& deviceRegistry() {
    // Never destroyed: the check rail may still be at work while the program exits.
    static DeviceRegistry* registry = new DeviceRegistry;
    return *registry;
}

bool QORUARTDevice::initialize(DeviceDelegate* delegate) {
    if (delegate == nullptr) return false;
    if (deviceRegistry().initialized.exchange(true)) return true;
    setDelegate(delegate);
    listenForDevices();
    return true;
}

DeviceRef QORUARTDevice::device(const Meta& meta) {
    auto& registry = deviceRegistry();
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
    if (fileExists(homeDirectory() + "/Desktop/Harbrix.debug")) device->enableHistory();
    return device;
}

bool QORUARTDevice::loadCache() {
    if (!createDirectories(deviceCacheDirectory())) return false;
    if (auto cache = DeviceCache::load(cachePath())) {
        setCache(std::move(*cache));
    } else {
        setCache(DeviceCache());
        flushCache();
    }
    return true;
}

void QORUARTDevice::deviceIsConnected(const DeviceRef& device) {
    if (!device) return;
    railBehind(Rails::main(), [device] {
        // Gone again before we got here: the delegate hears of neither.
        if (device->withdrawn_) return;
        device->announced_ = true;
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceIsConnected(device);
        device->setRefreshing(true);
        // Held weakly: a queue stopped by a disconnection keeps this block until the device
        // goes, and must not keep the device alive.
        std::weak_ptr<QORUARTDevice> weak = device;
        railBehind(device->queue(), [weak] {
            if (const auto alive = weak.lock()) Synchronisation::initial(alive);
        });
    });
}

void QORUARTDevice::deviceHasBeenDisconnected(const DeviceRef& device) {
    if (!device) return;
    // Work still running on its queue (a restart waiting for it) gives up.
    device->setDead(true);
    railsSuspend(device->queue());
    railsDrop(device->queue());
    device->dropHistory();
    rail(Rails::main(), [device] {
        if (!device->announced_) {
            device->withdrawn_ = true;
            return;
        }
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasBeenDisconnected(device);
    });
}

void QORUARTDevice::remove() {
    const DeviceRef self = shared_from_this();
    deviceHasBeenDisconnected(self);
    auto& devices = deviceRegistry().devices;
    if (const auto it = devices.find(filename_); it != devices.end() && it->second == self)
        devices.erase(it);
}

void QORUARTDevice::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    if (!device) return;
    rail(Rails::main(), [device, index] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceHasUpdatedPresetAtIndex(device, index);
    });
}

void QORUARTDevice::deviceInternalStateChanged(const DeviceRef& device, const std::string& state) {
    if (!device) return;
    rail(Rails::main(), [device, state] {
        if (DeviceDelegate* delegate = QORUARTDevice::delegate())
            delegate->deviceInternalStateChanged(device, state);
    });
}

DeviceRef QORUARTDevice::currentDevice() {
    DeviceDelegate* delegate = QORUARTDevice::delegate();
    return delegate != nullptr ? delegate->currentDevice() : nullptr;
}

std::size_t QORUARTDevice::hash() const {
    return std::hash<std::string>{}("QORUARTDevice|" + filename_ + "|" + std::to_string(file_));
}

bool QORUARTDevice::isEqual(const QORUARTDevice& other) const {
    return file_ == other.file_ && filename_ == other.filename_;
}

void QORUARTDevice::setLineFactory(LineFactory factory) {
    auto& registry = deviceRegistry();
    std::lock_guard lock(registry.factoryMutex);
    registry.lineFactory = std::move(factory);
}

void QORUARTDevice::resetRegistry() {
    auto& registry = deviceRegistry();
    railSync(DeviceRails::check(), [&registry] {
        ++registry.generation;
        registry.devices.clear();
        registry.failures.clear();
        registry.unreadable = false;
    });
    registry.initialized = false;
    setDelegate(nullptr);
}

}  // namespace harbrix
