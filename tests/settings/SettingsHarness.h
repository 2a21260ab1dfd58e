// Helpers for the settings screens' Qt tests: the real controller with real discovery
// against simulated pedals, the simulator's record of what it received, and screenshots
// into build/screenshots/settings/.
#pragma once

#include <QDir>
#include <QTest>
#include <QWidget>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "settings/Settings.h"
#include "shell/ShellHarness.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TextFiles.h"
#include "support/WindowTests.h"

namespace harbrix::test {

constexpr int kConnectMs = 20000;

inline bool saveShot(const QImage& image, const QString& name) {
    return saveShot(image, QStringLiteral("settings"), name);
}

inline bool saveShot(QWidget* widget, const QString& name) {
    return saveShot(widget, QStringLiteral("settings"), name);
}

inline std::unique_ptr<Simulator> plug(const std::string& folder, const std::string& model,
                                       const std::string& serial,
                                       std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments{"--dir", folder, "--model", model, "--serial", serial};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return std::make_unique<Simulator>(arguments);
}

// The connected pedal with that serial, once discovery has brought it up and its start-up
// reads have ended; none when that does not happen in time.
inline DeviceRef waitForPedal(const AppDelegate& controller, const std::string& serial) {
    DeviceRef found;
    (void)QTest::qWaitFor(
        [&] {
            for (const DeviceRef& device : controller.pedals().connected())
                if (device->serial() == serial && !presets(device).refreshing()) found = device;
            return found != nullptr;
        },
        kConnectMs);
    return found;
}

// Plugs a pedal that keeps its state in `state` and records what it receives in `record`,
// waits until it is up and shows its settings screen; none when that does not happen.
inline Settings* plugAndOpen(AppDelegate& controller, const std::string& folder,
                             const std::string& model, const std::string& serial,
                             const std::string& state, const std::string& record,
                             std::unique_ptr<Simulator>& sim, std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), {"--state", state, "--record", record});
    sim = plug(folder, model, serial, extra);
    if (!sim->running() || !waitForPedal(controller, serial)) return nullptr;
    controller.screens().switchToSettings();
    const QString screenClass = QString::fromStdString(model + "Settings");
    if (!QTest::qWaitFor([&] { return shownClass(controller) == screenClass; })) return nullptr;
    return dynamic_cast<Settings*>(controller.screens().currentController().get());
}

// The values of the memory writes the simulator recorded at `address`, in order.
inline std::vector<std::uint64_t> pokedValues(const std::string& record, std::uint32_t address) {
    std::vector<std::uint64_t> values;
    std::istringstream lines(readText(record));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string command;
        unsigned count = 0;
        std::uint64_t argument = 0, value = 0;
        if (words >> command >> count >> argument >> value && command == "POKEC" &&
            argument == address)
            values.push_back(value);
    }
    return values;
}

inline std::uint32_t addressOf(const DeviceRef& device, const char* key) {
    const auto address = device->memory() ? (*device->memory())[key] : std::nullopt;
    return address.value_or(0);
}

}  // namespace harbrix::test
