// Helpers for the Transfers screen's tests: the real application finding a simulated MIV3
// through real discovery, its Transfers screen shown, the pedal's slots read back from the
// simulator's state file, drags made with the mouse and keys through the window, and
// screenshots saved into build/screenshots/transfers/.
#pragma once

#include <QDir>
#include <QTest>
#include <QWindow>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "support/WindowTests.h"
#include "transfers/Transfers.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
// The scripted pedal has a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "support/ScriptedPedal.h"
#pragma pop_macro("slots")

namespace harbrix::test {

inline bool saveShot(const QImage& image, const QString& name) {
    return saveShot(image, QStringLiteral("transfers"), name);
}

// Two clicks in quick succession, as the slots' click areas take a double click.
inline void doubleClick(QWidget* area) {
    QTest::mouseClick(area, Qt::LeftButton);
    QTest::mouseClick(area, Qt::LeftButton);
}

inline std::string hexText(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

// One simulated MIV3 and the application working on it.
class TransfersSession {
  public:
    // Sets the application up for every session of the process: fonts, instant animations,
    // the main rail on Qt's loop, and pedals discovered in this folder only. Call once.
    static void prepare(const std::string& folder) {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        discoverSimulatedPedalsIn(folder);
    }

    // The pedal holds `presets` (0-based slot -> bytes) and misbehaves as `faults` say.
    TransfersSession(const std::string& folder, const std::map<std::size_t, Bytes>& presets,
                     std::vector<std::string> faults = {}) {
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache_.path()));
        // Journals and the preset library: the session's own.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data_.path()));
        nlohmann::json stored = nlohmann::json::object();
        for (const auto& [slot, bytes] : presets) stored[std::to_string(slot)] = hexText(bytes);
        std::ofstream(files_.file("state.json")) << nlohmann::json{{"presets", stored}}.dump();
        std::vector<std::string> arguments = {"--dir",    folder,
                                              "--model",  "MIV3",
                                              "--serial", "XFERQT" + std::to_string(++serial()),
                                              "--state",  files_.file("state.json"),
                                              "--record", files_.file("record.txt")};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        pedal_ = std::make_unique<Simulator>(arguments);
        AppDelegate::Options options;
        options.driver.needsKext = [] { return false; };
        app_ = std::make_unique<AppDelegate>(options);
        app_->applicationDidFinishLaunching();
    }
    ~TransfersSession() {
        app_.reset();
        DeviceRegistry::resetRegistry();
    }

    // Waits for the pedal, its first reading, and its Transfers screen; false on time-out.
    bool ready(int timeoutMs = 20000) {
        if (!pedal_->running()) return false;
        if (!QTest::qWaitFor([&] { return app_->currentDevice() != nullptr; }, timeoutMs))
            return false;
        device_ = app_->currentDevice();
        if (!QTest::qWaitFor([&] { return !harbrix::presets(device_).refreshing(); }, timeoutMs))
            return false;
        app_->screens().switchToTransfers();
        return QTest::qWaitFor(
            [&] {
                return app_->screens().currentController() &&
                       app_->screens().currentController() == app_->screens().transfers();
            },
            timeoutMs);
    }

    AppDelegate& app() { return *app_; }
    Simulator& pedal() { return *pedal_; }
    const DeviceRef& device() const { return device_; }
    Transfers& screen() { return *dynamic_cast<Transfers*>(app_->screens().transfers().get()); }
    QWidget* window() { return app_->window(); }
    Slot* slot(std::size_t index) { return screen().slot(index); }

    // Everything posted so far to the pedal's queue, and what that posted back to the main
    // rail, has run; three times over, as an answer may post again.
    void settle() { QVERIFY(queueAndMainRailPassed(device_->queue(), 3)); }

    // 1-based slot -> name, as the simulated pedal stores its slots now.
    std::map<std::size_t, std::string> pedalNames() const {
        std::map<std::size_t, std::string> names;
        for (const auto& [slot, bytes] : pedalPresets()) {
            std::string name(bytes.begin(), bytes.begin() + 24);
            names[slot + 1] = name.substr(0, name.find_last_not_of(' ') + 1);
        }
        return names;
    }
    // 0-based slot -> bytes.
    std::map<std::size_t, Bytes> pedalPresets() const {
        std::map<std::size_t, Bytes> presets;
        const auto state =
            nlohmann::json::parse(readText(files_.file("state.json")), nullptr, false);
        if (state.is_discarded()) return presets;
        for (const auto& [slot, hex] : state["presets"].items()) {
            const std::string text = hex.get<std::string>();
            Bytes bytes;
            for (std::size_t i = 0; i + 1 < text.size(); i += 2)
                bytes.push_back(
                    static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
            presets[std::stoul(slot)] = bytes;
        }
        return presets;
    }
    // The writes and erases the pedal received so far, in order: "WRITE 3", "ERASE 0".
    std::vector<std::string> received() const {
        std::vector<std::string> lines;
        // One request a line: the command, its count and argument, and for a memory write
        // the value written.
        std::istringstream in(readText(files_.file("record.txt")));
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string command, count, argument;
            if (!(fields >> command >> count >> argument)) continue;
            if (command == "WRITE_PRESET") lines.push_back("WRITE " + argument);
            if (command == "ERASE_PRESET") lines.push_back("ERASE " + argument);
        }
        return lines;
    }

    // 1-based slot -> name, as the screen shows the slots ("" empty, "?" unknown).
    std::map<std::size_t, std::string> shownNames() {
        std::map<std::size_t, std::string> names;
        for (std::size_t index = 0; index < 100; ++index) {
            const Slot* s = slot(index);
            if (!s->known()) {
                names[index + 1] = "?";
            } else if (s->occupied()) {
                names[index + 1] = s->preset()->name();
            }
        }
        return names;
    }

    QImage windowShot() { return window()->grab().toImage(); }

  private:
    static int& serial() {
        static int n = 0;
        return n;
    }

    TempDir files_{"transfers-files"};
    TempDir cache_{"transfers-cache"};
    TempDir data_{"transfers-data"};
    std::unique_ptr<Simulator> pedal_;
    std::unique_ptr<AppDelegate> app_;
    DeviceRef device_;
};

// Drags a slot's preset over the grid as a user does, through the window: the button pressed
// on the slot, the pointer moved, Option (Alt) pressed or released, the button released. The
// screen may go mid-drag (its pedal left); the window stays.
class Dragging {
  public:
    explicit Dragging(TransfersSession& session)
        : Dragging(session.window(), [&session] { return &session.screen(); }) {}
    // `screen` gives the Transfers screen shown now, or null.
    Dragging(QWidget* window, std::function<Transfers*()> screen)
        : window_(window), screen_(std::move(screen)) {}

    // Presses on the slot and moves the pointer until the slot starts a drag; false (the
    // button released again) when it did not start one.
    bool start(Slot* slot) {
        QWidget* area = slot->clickArea();
        const QPoint from = area->mapTo(window_, area->rect().center());
        QTest::mousePress(window(), Qt::LeftButton, keys_, from);
        move(from + QPoint(6, 4));
        move(from + QPoint(14, 8));
        if (Transfers* screen = screen_(); screen && screen->body()->dragging()) return true;
        QTest::mouseRelease(window(), Qt::LeftButton, keys_, pointer_);
        return false;
    }

    // The pointer over a point of the slot area, with those modifier keys held.
    void moveTo(const QPoint& point, Qt::KeyboardModifiers modifiers = {}) {
        hold(modifiers);
        if (Transfers* screen = screen_()) move(screen->body()->mapTo(window_, point));
    }
    void moveOver(Slot* slot, Qt::KeyboardModifiers modifiers = {}) {
        moveTo(slot->geometry().center(), modifiers);
    }
    // The pointer out of the slot area, over the header.
    void leave() { move(QPoint(window_->width() / 2, 40)); }
    // Presses and releases modifier keys until exactly these are held; the pointer rests.
    void hold(Qt::KeyboardModifiers modifiers) {
        for (const auto& [key, flag] : {std::pair{Qt::Key_Shift, Qt::ShiftModifier},
                                        std::pair{Qt::Key_Alt, Qt::AltModifier}}) {
            const bool press = modifiers.testFlag(flag);
            if (press == keys_.testFlag(flag)) continue;
            // A modifier's own event carries the keys held before it.
            QTest::simulateEvent(window(), press, key, keys_, QString(), false);
            keys_.setFlag(flag, press);
        }
    }
    // Releases the button where the pointer is, with those keys held; true when the drop was
    // to run an operation.
    bool drop(Qt::KeyboardModifiers modifiers = {}) {
        hold(modifiers);
        Transfers* screen = screen_();
        const bool runs = screen && screen->body()->operation() != TransferOperation::none;
        QTest::mouseRelease(window(), Qt::LeftButton, keys_, pointer_);
        hold({});
        return runs;
    }
    // Moves the pointer by that much and releases the button, touching nothing but the window
    // (whose screen may have gone).
    void moveByAndRelease(const QPoint& delta) {
        move(pointer_ + delta);
        QTest::mouseRelease(window(), Qt::LeftButton, keys_, pointer_);
    }

    // The window as it shows now, the drag picture included.
    QImage shot() { return window_->grab().toImage(); }

  private:
    QWindow* window() { return window_->windowHandle(); }
    void move(const QPoint& inWindow) {
        pointer_ = inWindow;
        QTest::mouseEvent(QTest::MouseMove, window(), Qt::NoButton, keys_, inWindow);
    }

    QWidget* window_;
    std::function<Transfers*()> screen_;
    QPoint pointer_;
    Qt::KeyboardModifiers keys_;
};

}  // namespace harbrix::test
