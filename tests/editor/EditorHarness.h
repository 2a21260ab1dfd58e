// Helpers for the editor's tests: a simulated MIV III started from a state file of chosen
// presets, a device brought up against it on its own queue with every slot read, and an
// editor for it that hears the pedal's slot announcements as the application's would.
#pragma once

#include <QDir>
#include <QTest>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "editor/MIV3Editor.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "shell/Background.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "support/WindowTests.h"

namespace harbrix::test {

// 104 bytes named `name`, every parameter byte `fill`.
inline Bytes presetNamed(const std::string& name, std::uint8_t fill = 0x40) {
    Bytes bytes(Preset::kSize, fill);
    std::fill_n(bytes.begin(), Preset::kNameLength, ' ');
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[27] = 0;
    return bytes;
}

inline std::string hexText(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

// A state file for the simulator: slot -> bytes, and the slot it has selected.
inline void writeState(const std::string& path, const std::map<std::size_t, Bytes>& presets,
                       std::size_t selected = 0) {
    nlohmann::json stored = nlohmann::json::object();
    for (const auto& [slot, bytes] : presets) stored[std::to_string(slot)] = hexText(bytes);
    writeText(path, nlohmann::json{{"presets", stored}, {"selectedPreset", selected}}.dump());
}

// What the simulator's state file holds for a slot, as hex; "" for an empty slot.
inline std::string storedHex(const std::string& statePath, std::size_t slot) {
    const auto state = nlohmann::json::parse(readText(statePath));
    return state["presets"].value(std::to_string(slot), std::string());
}

// The application as the editor sees it: the current device, and its slot announcements
// passed on to the editor.
class EditorHost : public DeviceDelegate {
  public:
    DeviceRef device;
    Editor* editor = nullptr;

    DeviceRef currentDevice() override { return device; }
    void deviceHasUpdatedPresetAtIndex(const DeviceRef& from, std::size_t index) override {
        if (from == device && editor != nullptr) editor->reloadPreset(index);
    }
    void deviceIsConnected(const DeviceRef&) override {}
    void deviceHasBeenDisconnected(const DeviceRef&) override {}
    void deviceInternalStateChanged(const DeviceRef&, const std::string&) override {}
    void deviceHasUpdatedSettings(const DeviceRef&, const SettingsBlock&) override {}
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef&) override { return nullptr; }
    void deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) override {}
};

// One simulated pedal with an editor on screen.
class EditorBench {
  public:
    // `readSlots` limits which slots are read into the cache; by default every occupied slot
    // is read and the others are cached as empty.
    bool start(const std::map<std::size_t, Bytes>& presets, std::vector<std::string> extra = {},
               std::vector<std::size_t> readSlots = {}) {
        writeState(statePath(), presets);
        std::vector<std::string> arguments{"--model",  "MIV3",    "--serial",
                                           "EDIT0001", "--state", statePath()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        simulator = std::make_unique<Simulator>(arguments);
        if (!simulator->running()) return false;
        device = std::make_shared<QORUARTDevice>(simulator->nodeName(), "MIV3", "EDIT0001");
        device->setDeviceRoot(simulator->dir());
        device->line().setFraming(Framing::fast);
        if (!device->completeInitialization()) return false;
        device->setQueue(railsQueue("editor-test"));
        host.device = device;
        QORUARTDevice::setDelegate(&host);
        // As the start-up synchronisation leaves the cache: occupied slots read, the others
        // known to be empty (the pedal's state block says so without a read).
        railSync(device->queue(), [&] {
            if (readSlots.empty()) {
                for (std::size_t slot = 0; slot < 100; ++slot) {
                    if (presets.count(slot) != 0)
                        harbrix::presets(device).refreshPreset(slot);
                    else
                        harbrix::presets(device).setCached(
                            Preset::emptyPresetForDevice(device.get()), slot);
                }
            } else {
                for (std::size_t slot : readSlots) harbrix::presets(device).refreshPreset(slot);
            }
        });
        editor = std::make_unique<MIV3Editor>(device);
        host.editor = editor.get();
        window = std::make_unique<Background>();
        window->resize(1100, 640);
        editor->view()->setParent(window.get());
        editor->view()->setGeometry(0, 0, 1100, 640);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return false;
        // The start-up announcements arrive before the test acts.
        QCoreApplication::processEvents();
        return true;
    }
    ~EditorBench() {
        if (QORUARTDevice::delegate() == &host) QORUARTDevice::setDelegate(nullptr);
        host.editor = nullptr;
        editor.reset();
        window.reset();
        // Let the pedal's queue finish what the editor posted before the pedal goes.
        if (device && device->queue()) railSync(device->queue(), [] {});
    }

    std::string statePath() const { return folder.file("state.json"); }
    std::string stored(std::size_t slot) const { return storedHex(statePath(), slot); }
    std::shared_ptr<Preset> cached(std::size_t slot) const {
        return harbrix::presets(device).cached(slot);
    }
    // Waits until the pedal's queue has run everything posted so far, and the main rail
    // what that posted back.
    void settle() { QVERIFY(queueAndMainRailPassed(device->queue())); }
    std::optional<std::uint8_t> pedalSelection() {
        std::optional<std::uint8_t> selected;
        railSync(device->queue(), [&] { selected = harbrix::presets(device).selected(); });
        return selected;
    }

    TempDir folder{"editor"};
    std::unique_ptr<Simulator> simulator;
    DeviceRef device;
    EditorHost host;
    std::unique_ptr<MIV3Editor> editor;
    std::unique_ptr<Background> window;
};

inline bool saveShot(QWidget* widget, const QString& name) {
    return saveShot(widget, QStringLiteral("editor"), name);
}

}  // namespace harbrix::test
