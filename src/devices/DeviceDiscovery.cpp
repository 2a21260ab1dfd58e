// The discovery loop and the device-state poll. Both run their work on the check rail, one
// step at a time, and re-arm themselves with a one-shot timer on the main rail, so a slow
// pass delays the next one instead of piling passes up.
#include "devices/DeviceRegistry.h"

#include <algorithm>
#include <chrono>

#include "devices/DeviceRails.h"
#include "devices/Metas.h"
#include "devices/PresetStore.h"
#include "devices/RegistryState.h"
#include "devices/Synchronisation.h"
#include "link/PedalRestart.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

using Clock = std::chrono::steady_clock;

// Passes start about every 1.07 s, with at least 0.75 s from the end of one to the next.
constexpr double kCheckPeriod = 1.07;
constexpr double kCheckPause = 0.75;
// Polls start about every 0.55 s, at least 0.5 s apart.
constexpr double kPollPeriod = 0.55;
constexpr double kPollPause = 0.5;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool current(unsigned generation) {
    return registryState().generation == generation;
}

void listen(unsigned generation) {
    rail(DeviceRails::check(), [generation] {
        if (!current(generation)) return;
        const auto start = Clock::now();
        DeviceRegistry::check();
        rail(Rails::main(), [generation, start] {
            const double delay = std::max(kCheckPause, kCheckPeriod - secondsSince(start));
            Rails::main()->after(delay, [generation] { listen(generation); });
        });
    });
}

void poll(unsigned generation) {
    rail(DeviceRails::check(), [generation] {
        if (!current(generation)) return;
        const auto start = Clock::now();
        const DeviceRef device = DeviceRegistry::currentDevice();
        if (!device) return;
        // A device already removed has its queue stopped for good: waiting for it would
        // stop discovery with it. The poll carries on until the delegate lets it go.
        const auto& devices = registryState().devices;
        const auto registered = devices.find(device->filename());
        if (registered != devices.end() && registered->second == device)
            railSync(device->queue(), [&device] { device->bringUp().getDeviceState(); });
        rail(Rails::main(), [generation, start] {
            const double delay = std::max(kPollPause, kPollPeriod - secondsSince(start));
            Rails::main()->after(delay, [generation] { poll(generation); });
        });
    });
}

// A pedal whose last exchange went unanswered may have restarted on its own, back at its
// boot speed: once its first synchronisation is over, it is asked on its queue, behind what
// waits there, and brought up again if it does not answer.
void checkAnswering(const DeviceRef& device) {
    if (!device->line().silent() || !presets(device).synchronised() || device->restarting() ||
        !device->beginAnswerCheck())
        return;
    std::weak_ptr<QORUARTDevice> weak = device;
    railBehind(device->queue(), [weak] {
        const auto device = weak.lock();
        if (!device) return;
        if (device->line().silent() && !device->dead()) PedalRestart(*device).answersOrComesBack();
        device->endAnswerCheck();
    });
}

}  // namespace

void DeviceRegistry::listenForDevices() {
    listen(registryState().generation);
}

void DeviceRegistry::listenForDeviceUpdates() {
    poll(registryState().generation);
}

void DeviceRegistry::check() {
    auto& registry = registryState();
    const auto metas = Metas::metas();
    // Without a reading nothing can be said of any pedal: a pedal that really left is
    // reported by the next pass that can see it is gone.
    if (!metas) {
        if (!registry.unreadable)
            logLine("discovery :: the device nodes or the USB inventory could not be read");
        registry.unreadable = true;
        return;
    }
    registry.unreadable = false;
    auto missing = registry.devices;
    std::map<std::string, OpenFailure> failures;
    for (const Meta& meta : *metas) {
        const std::string filename = meta.filename();
        missing.erase(filename);
        if (registry.devices.count(filename) != 0) continue;
        DeviceRef device = DeviceRegistry::device(meta);
        if (!device) continue;
        const auto known = registry.failures.find(filename);
        if (known == registry.failures.end()) logFormat("%s is connected", device->name().c_str());
        bool ready = false;
        railSync(device->queue(), [&device, &ready] { ready = device->completeInitialization(); });
        if (!ready) {
            // Not registered: the next pass tries again, and the owner is told why.
            OpenFailure failure{device->name(), device->serial(), device->bringUp().failureCause()};
            if (known == registry.failures.end() || !(known->second == failure))
                logFormat("%s could not be opened: %s", device->name().c_str(),
                          failure.reason.c_str());
            failures.emplace(filename, std::move(failure));
            continue;
        }
        registry.devices[filename] = device;
        deviceIsConnected(device);
    }
    // A pedal that restarted and never answered again is gone as much as an unplugged one;
    // if its node is still there, the next pass tries it as a new connection.
    for (const auto& [filename, device] : registry.devices)
        if (device->lost()) missing.emplace(filename, device);
    for (const auto& [filename, device] : missing) {
        (void)filename;
        remove(device);
    }
    for (const auto& [filename, device] : registry.devices) {
        (void)filename;
        checkAnswering(device);
        Synchronisation::retryUnread(device);
    }
    if (failures != registry.failures) {
        registry.failures = std::move(failures);
        std::vector<OpenFailure> list;
        for (const auto& [filename, failure] : registry.failures) list.push_back(failure);
        rail(Rails::main(), [list] {
            if (DeviceDelegate* delegate = QORUARTDevice::delegate())
                delegate->devicesFailedToOpen(list);
        });
    }
}

}  // namespace harbrix
