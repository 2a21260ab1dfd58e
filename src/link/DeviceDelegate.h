// What the device layer tells the application about its pedals. Every call arrives on the
// main rail.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "link/SettingsBlock.h"

namespace harbrix {

class QORUARTDevice;
using DeviceRef = std::shared_ptr<QORUARTDevice>;

// A pedal that discovery found but could not bring up; it is tried again on every pass.
struct OpenFailure {
    std::string name;  // the model name, "MIV3"
    std::string serial;
    std::string reason;  // in words for the user: "Permission denied"

    bool operator==(const OpenFailure&) const = default;
};

class DeviceDelegate {
  public:
    virtual ~DeviceDelegate() = default;

    virtual void deviceIsConnected(const DeviceRef& device) = 0;
    virtual void deviceHasBeenDisconnected(const DeviceRef& device) = 0;
    virtual void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) = 0;
    virtual void deviceInternalStateChanged(const DeviceRef& device, const std::string& state) = 0;
    virtual void deviceHasUpdatedSettings(const DeviceRef& device,
                                          const SettingsBlock& settings) = 0;
    // An opaque token handed back unchanged to deviceEndedFullRefresh.
    virtual std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef& device) = 0;
    virtual void deviceEndedFullRefresh(const DeviceRef& device,
                                        const std::shared_ptr<void>& shield) = 0;
    // The pedal the user works with, if any.
    virtual DeviceRef currentDevice() = 0;
    // The pedals found but not brought up, told again whenever that list changes (empty
    // once none is left).
    virtual void devicesFailedToOpen(const std::vector<OpenFailure>& /*failures*/) {}
    // A connected pedal restarts: nothing reaches it until deviceHasRestarted, which says
    // whether it was brought up again. One that was not is announced as disconnected next.
    virtual void deviceIsRestarting(const DeviceRef& /*device*/) {}
    virtual void deviceHasRestarted(const DeviceRef& /*device*/, bool /*back*/) {}
};

}  // namespace harbrix
