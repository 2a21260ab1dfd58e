// Which pedals are connected: the discovery loop that finds them and lets them go, the
// devices it makes for them, their connection and disconnection, and the announcements to
// the delegate, each posted to the main rail (nothing for an absent device).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/QORUARTDevice.h"

namespace harbrix {

class Meta;

class DeviceRegistry {
  public:
    static void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index);
    static void deviceInternalStateChanged(const DeviceRef& device, const std::string& state);
    // Starts discovery once per process, the delegate (the application's controller) held
    // without ownership; true then and on every later call. False without a delegate.
    static bool initialize(DeviceDelegate* delegate);
    // A discovery pass on the check rail now, and then again about every 1.07 s for good.
    static void listenForDevices();
    // One discovery pass: connects new pedals, removes the ones that are gone. Check rail only.
    static void check();
    // A device for a pedal that discovery found: its cache file, its own queue, a history in
    // debug mode. None when the cache folder or the queue cannot be made.
    static DeviceRef device(const Meta& meta);
    // Announces a new device on the main rail, then synchronises it on its own queue.
    static void deviceIsConnected(const DeviceRef& device);
    // Stops the device's queue for good, drops its history and announces the loss.
    static void deviceHasBeenDisconnected(const DeviceRef& device);
    // The delegate's current device, asked on the calling thread; none without a delegate.
    static DeviceRef currentDevice();
    // Polls the current device's state about every 0.55 s while there is one. Nothing in the
    // application starts it.
    static void listenForDeviceUpdates();
    // Announces the disconnection and takes the device out of the registry (check rail).
    static void remove(const DeviceRef& device);
    // For tests: the line each device made by `device` talks through (the system's serial
    // lines when unset).
    using LineFactory = std::function<std::shared_ptr<SerialLine>(const std::string& filename)>;
    static void setLineFactory(LineFactory factory);
    // For tests: stops the discovery loop and the poll, forgets every registered device and
    // the delegate without announcing anything, so that `initialize` starts afresh.
    static void resetRegistry();
};

}  // namespace harbrix
