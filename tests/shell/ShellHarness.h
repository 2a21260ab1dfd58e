// Helpers for the shell's tests: an application controller launched without discovery, and
// pedals brought up in memory (scripted) with their own queues, handed to it by hand.
#pragma once

#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "editor/Editor.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "settings/Settings.h"
#include "shell/PlaceholderScreen.h"
// The scripted pedal has a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "support/ScriptedPedal.h"
#include "transfers/Transfers.h"
#pragma pop_macro("slots")

namespace harbrix::test {

// Launches a controller that takes device announcements by hand.
inline std::unique_ptr<AppDelegate> launchWithoutDiscovery() {
    AppDelegate::Options options;
    options.startDevices = [](DeviceDelegate* delegate) {
        QORUARTDevice::setDelegate(delegate);
        return true;
    };
    options.driver.needsKext = [] { return false; };
    auto controller = std::make_unique<AppDelegate>(options);
    controller->applicationDidFinishLaunching();
    return controller;
}

class ScriptedPedals {
  public:
    // A pedal of that model brought up with the serial, its queue running; none on failure.
    DeviceRef make(const std::string& model, const std::string& serial,
                   const std::function<void(ScriptedPedal&)>& configure = {}) {
        auto pedal = std::make_unique<ScriptedPedal>(model);
        if (configure) configure(*pedal);
        auto device =
            std::make_shared<QORUARTDevice>("cu.usbserial-" + serial, model, serial, pedal->line());
        if (!device->completeInitialization()) return nullptr;
        device->setQueue(railsQueue(serial));
        pedals_.push_back(std::move(pedal));
        return device;
    }
    ScriptedPedal& last() { return *pedals_.back(); }

  private:
    std::vector<std::unique_ptr<ScriptedPedal>> pedals_;
};

inline PlaceholderScreen* shown(const AppDelegate& controller) {
    return dynamic_cast<PlaceholderScreen*>(controller.screens().currentController().get());
}

// The pedal the shown screen was made for.
inline DeviceRef shownDevice(AppDelegate& controller) {
    const auto& screen = controller.screens().currentController();
    if (auto* editor = dynamic_cast<Editor*>(screen.get())) return editor->device();
    if (auto* transfers = dynamic_cast<Transfers*>(screen.get())) return transfers->device();
    // The settings screen works on whichever pedal is current.
    if (dynamic_cast<Settings*>(screen.get()) != nullptr) return controller.currentDevice();
    if (auto* placeholder = dynamic_cast<PlaceholderScreen*>(screen.get()))
        return placeholder->device();
    return nullptr;
}

// The class of the shown screen, "Nothing" for the empty state.
inline QString shownClass(const AppDelegate& controller) {
    const auto& screen = controller.screens().currentController();
    return screen ? screen->className() : QString();
}

}  // namespace harbrix::test
