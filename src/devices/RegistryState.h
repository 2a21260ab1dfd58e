// The process-wide state behind DeviceRegistry: shared by the registry's and the discovery
// loop's source files, used by nothing else.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "devices/DeviceRegistry.h"
#include "link/DeviceDelegate.h"

namespace harbrix {

struct RegistryState {
    // File name of the node -> the device serving it. Touched on the check rail only.
    std::map<std::string, DeviceRef> devices;
    // File name of the node -> why the pedal there could not be brought up. Check rail only.
    std::map<std::string, OpenFailure> failures;
    // Whether the last pass could not read the nodes or the inventory (check rail only).
    bool unreadable = false;
    std::atomic<bool> initialized{false};
    // Timers armed by the loops of an earlier generation do nothing (reset by tests).
    std::atomic<unsigned> generation{0};
    std::mutex factoryMutex;
    DeviceRegistry::LineFactory lineFactory;
};

RegistryState& registryState();

}  // namespace harbrix
