// The Editor, the Settings screen and the header used with the keyboard alone, in the real
// application with real discovery against the simulated MIV III; no pointer event is sent.
// The simulator's saved state is checked after each step. Screenshots with the focus ring
// showing go to build/screenshots/keyboard/, named with the screen's pixel ratio (run with
// QT_SCALE_FACTOR=2 for the 2x set).
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "EditorHarness.h"
#include "app/AppDelegate.h"
#include "app/HeaderControls.h"
#include "app/ScreenSwitcher.h"
#include "devices/DeviceRegistry.h"
#include "settings/MIV3Settings.h"
#include "shell/Application.h"
#include "shell/MIV3Status.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

constexpr int kConnectMs = 20000;

class KeyboardEndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "keyboard";
        static char* argv[] = {name, nullptr};
        // Kept to the end of the process: the image and font caches outlive every test.
        new Application(argc, argv);
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        pedals_ = new test::TempDir("keyboard-pedals");
        test::discoverSimulatedPedalsIn(pedals_->path());
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(pedals_->file("cache")));
    }
    void TearDown() override {
        controller.reset();
        DeviceRegistry::resetRegistry();
    }

    std::unique_ptr<test::Simulator> plug(const std::string& serial) {
        auto simulator = std::make_unique<test::Simulator>(
            std::vector<std::string>{"--dir", pedals_->path(), "--model", "MIV3", "--serial",
                                     serial, "--state", state(serial)});
        EXPECT_TRUE(simulator->running()) << simulator->error();
        return simulator;
    }
    static std::string state(const std::string& serial) { return pedals_->file(serial + ".json"); }
    // The application once the first pedal is up, its editor showing.
    MIV3Editor* launch() {
        controller = test::launchWithDiscovery();
        window = controller->window();
        if (!QTest::qWaitForWindowActive(window)) return nullptr;
        if (!QTest::qWaitFor([&] { return controller->pedals().initialized(); }, kConnectMs))
            return nullptr;
        auto* editor = dynamic_cast<MIV3Editor*>(controller->screens().editor().get());
        const bool shown = editor != nullptr && QTest::qWaitFor([&] {
                               return controller->screens().currentController().get() == editor &&
                                      !presets(controller->currentDevice()).refreshing();
                           });
        return shown ? editor : nullptr;
    }

    static QWidget* focused() { return QApplication::focusWidget(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused() != nullptr ? focused() : window, static_cast<Qt::Key>(key),
                        modifiers);
    }
    // Presses Tab until `target` has the keyboard; false when a whole round went by.
    bool tabTo(QWidget* target) {
        for (int press = 0; press < 300 && !target->hasFocus(); ++press) key(Qt::Key_Tab);
        return target->hasFocus();
    }
    // Every widget Tab (or Shift+Tab) visits, from the one after the focused one round to it.
    std::vector<QWidget*> round(bool back = false) {
        std::vector<QWidget*> visited;
        QWidget* start = focused();
        for (int press = 0; press < 300; ++press) {
            key(back ? Qt::Key_Backtab : Qt::Key_Tab);
            if (focused() == start) break;
            visited.push_back(focused());
        }
        return visited;
    }
    void shot(const QString& name) {
        const QString ratio = QString::number(window->devicePixelRatioF());
        EXPECT_TRUE(test::saveShot(window, QStringLiteral("keyboard"), name + "@" + ratio + "x"));
    }

    static test::TempDir* pedals_;
    std::unique_ptr<AppDelegate> controller;
    Window* window = nullptr;
};

test::TempDir* KeyboardEndToEnd::pedals_ = nullptr;

// A settings word as the simulator saved it; -1 before it saved any.
long long setting(const std::string& state, const char* key) {
    const auto words = nlohmann::json::parse(test::readText(state), nullptr, false)["settings"];
    return words.is_object() ? words.value(key, -1LL) : -1;
}

// The controls Tab can reach that a user sees, under `view`.
std::vector<QWidget*> reachable(QWidget* view) {
    std::vector<QWidget*> controls;
    for (QWidget* widget : view->findChildren<QWidget*>())
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled())
            controls.push_back(widget);
    return controls;
}

bool contains(const std::vector<QWidget*>& list, const QWidget* widget) {
    return std::find(list.begin(), list.end(), widget) != list.end();
}

// Three parameters changed and saved in the Editor, then two settings changed, all with keys.
TEST_F(KeyboardEndToEnd, EditsSavesAndChangesSettings) {
    const Bytes detuned = test::presetNamed("Detuned Lead", 0x22);
    test::writeState(state("KEYS0001"), {{0, test::presetNamed("Clean Octaves")},
                                         {1, test::presetNamed("Whammy~Dive", 0x30)},
                                         {3, detuned}});
    const auto simulator = plug("KEYS0001");
    MIV3Editor* editor = launch();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->view()->hasFocus());

    // The list follows the arrow keys to "Detuned Lead".
    for (int row = 1; row <= 3; ++row) {
        key(Qt::Key_Down);
        ASSERT_TRUE(QTest::qWaitFor([&] { return editor->selectedRow() == std::size_t(row); }));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return editor->status()->title()->text() == QStringLiteral("04 Detuned Lead"); }));
    const auto preset = presets(controller->currentDevice()).cached(3);
    ASSERT_NE(preset, nullptr);
    shot(QStringLiteral("editor-list"));

    // A fader up five steps: five presses, five releases, five undo steps.
    auto* fader = editor->control("levelM2");
    ASSERT_TRUE(tabTo(fader));
    for (int press = 0; press < 5; ++press) key(Qt::Key_Up);
    EXPECT_EQ(preset->value("levelM2"), 0x22 / 2 + 5);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(preset->value("levelM2"), 0x22 / 2 + 4);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(preset->value("levelM2"), 0x22 / 2 + 5);
    shot(QStringLiteral("editor-fader"));
    // A knob to its end and a page back; a switch flipped with Space.
    auto* knob = editor->control("masterVolume");
    ASSERT_TRUE(tabTo(knob));
    key(Qt::Key_End);
    key(Qt::Key_PageDown);
    EXPECT_EQ(preset->value("masterVolume"), 117);
    shot(QStringLiteral("editor-knob"));
    ASSERT_TRUE(tabTo(editor->control("direct")));
    key(Qt::Key_Space);
    EXPECT_EQ(preset->value("direct"), 1);
    // Nothing reaches the pedal before the save; then exactly the edited preset does.
    EXPECT_EQ(test::storedHex(state("KEYS0001"), 3), test::hexText(detuned));
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return test::storedHex(state("KEYS0001"), 3) == test::hexText(preset->serialized());
    }));
    const Bytes saved = preset->serialized();
    EXPECT_EQ(saved[32], 117 << 1);
    EXPECT_NE(saved, detuned);

    // Settings: MIDI Thru with Space, the contrast one step with an arrow.
    key(Qt::Key_3, Qt::ControlModifier);
    auto* settings = dynamic_cast<MIV3Settings*>(controller->screens().settings().get());
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller->screens().currentController().get() == settings; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings->pendingWrites() == 0; }));
    const auto thru = settings->core().midiThru;
    ASSERT_TRUE(tabTo(settings->midiThruField()));
    shot(QStringLiteral("settings-thru"));
    key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return setting(state("KEYS0001"), "midiThru") == (thru == 0 ? 1 : 0); }));
    const auto contrast = settings->core().displayContrast;
    ASSERT_TRUE(tabTo(settings->contrastSlider()));
    key(contrast >= 9 ? Qt::Key_Left : Qt::Key_Right);
    EXPECT_NE(settings->core().displayContrast, contrast);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return setting(state("KEYS0001"), "displayContrast") == settings->core().displayContrast;
    }));
    shot(QStringLiteral("settings-contrast"));
    // The editor's save is still what the pedal holds.
    EXPECT_EQ(test::storedHex(state("KEYS0001"), 3), test::hexText(saved));
}

// Tab visits every control of the header and of the shown screen, the header first, and
// Shift+Tab visits them in the opposite order; Ctrl+1, 2 and 3 switch the screens; the pedal
// chooser opens with Space and chooses with the arrows and Enter.
TEST_F(KeyboardEndToEnd, FocusOrderShortcutsAndTheChooser) {
    test::writeState(state("KEYS0002"), {{0, test::presetNamed("First")}});
    test::writeState(state("KEYS0003"), {{0, test::presetNamed("Second")}});
    const auto first = plug("KEYS0002");
    MIV3Editor* editor = launch();
    ASSERT_NE(editor, nullptr);
    const auto second = plug("KEYS0003");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return controller->pedals().connected().size() == 2; }, kConnectMs));
    HeaderControls& header = controller->header();
    ScreenSwitcher& screens = controller->screens();

    for (const auto& [screen, shortcut] :
         {std::pair{screens.editor(), Qt::Key_2}, {screens.settings(), Qt::Key_3}}) {
        key(shortcut, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return screens.currentController() == screen; }));
        const std::vector<QWidget*> chain = round();
        for (QWidget* view : {window->header(), screen->view()})
            for (QWidget* control : reachable(view))
                EXPECT_TRUE(contains(chain, control)) << control->metaObject()->className() << " "
                                                      << control->objectName().toStdString();
        // The header's controls first, left to right.
        std::vector<int> headerLefts;
        for (QWidget* widget : chain)
            if (window->header()->isAncestorOf(widget))
                headerLefts.push_back(widget->mapTo(window, QPoint()).x());
        EXPECT_TRUE(std::is_sorted(headerLefts.begin(), headerLefts.end()));
        std::vector<QWidget*> back = round(true);
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, chain);
    }
    key(Qt::Key_1, Qt::ControlModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return screens.currentController() == screens.transfers(); }));

    const DeviceRef before = controller->currentDevice();
    ASSERT_TRUE(tabTo(header.selectorButton()));
    shot(QStringLiteral("header-chooser-button"));
    key(Qt::Key_Space);
    ASSERT_TRUE(header.selectorOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return header.selector()->isAncestorOf(focused()); }));
    key(Qt::Key_Right);
    shot(QStringLiteral("header-chooser-open"));
    key(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !header.selectorOpen() && controller->currentDevice() != before &&
               controller->currentDevice() != nullptr;
    }));
}

// A window smaller than its design size scrolls, and follows the keyboard to a control at
// the far corner.
TEST_F(KeyboardEndToEnd, SmallWindowScrollsToTheFocusedControl) {
    test::writeState(state("KEYS0004"), {{0, test::presetNamed("First")}});
    const auto simulator = plug("KEYS0004");
    MIV3Editor* editor = launch();
    ASSERT_NE(editor, nullptr);
    window->resize(700, 480);
    // Both scroll bars come, and with them every control is in reach.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return window->scrollArea()->horizontalScrollBar()->isVisible() &&
               window->scrollArea()->verticalScrollBar()->isVisible();
    }));
    shot(QStringLiteral("window-700x480"));
    // The control farthest down and right.
    QWidget* corner = nullptr;
    for (QWidget* control : reachable(editor->view())) {
        const QPoint at = control->mapTo(window, QPoint());
        if (corner == nullptr || at.x() + at.y() > corner->mapTo(window, QPoint()).x() +
                                                       corner->mapTo(window, QPoint()).y())
            corner = control;
    }
    ASSERT_NE(corner, nullptr);
    ASSERT_TRUE(tabTo(corner));
    const QRect shown(corner->mapTo(window->scrollArea()->viewport(), QPoint()), corner->size());
    EXPECT_TRUE(window->scrollArea()->viewport()->rect().contains(shown));
    shot(QStringLiteral("window-700x480-save"));
}

}  // namespace
}  // namespace harbrix
