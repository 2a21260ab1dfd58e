// The MIV3's settings screen in the real window against the simulated pedal: clicks reach
// the pedal in click order and the screen ends up showing what the pedal holds, the
// contrast slider's steps, the factory-reset check boxes, their mask and the question
// before presets are erased, a refused write, and a second screen for the same pedal.
#include <QAccessible>
#include <QTest>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "SettingsHarness.h"
#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "platform/Paths.h"
#include "settings/MIV3Settings.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/QueueGate.h"
#include "support/ShownAlerts.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "ui/Alert.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"

using namespace harbrix;
using nlohmann::json;

namespace {

// The simulator's settings words as it saved them.
json pedalSettings(const std::string& state) {
    return json::parse(test::readText(state), nullptr, false)["settings"];
}

QString accessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

}  // namespace

class MIV3SettingsQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"settings-pedals"};
    std::unique_ptr<test::TempDir> folder;
    std::unique_ptr<AppDelegate> controller;

    std::string state() const { return folder->file("pedal.json"); }
    std::string record() const { return folder->file("pedal.record"); }

    // Plugs a MIV3 that keeps its state and records what it receives, and shows its
    // settings screen; none when that does not happen.
    MIV3Settings* plugAndOpen(const std::string& serial, std::unique_ptr<test::Simulator>& sim,
                              std::vector<std::string> extra = {}) {
        return dynamic_cast<MIV3Settings*>(test::plugAndOpen(
            *controller, pedals.path(), "MIV3", serial, state(), record(), sim, std::move(extra)));
    }

    static bool settled(MIV3Settings* screen) {
        return QTest::qWaitFor([screen] { return screen->pendingWrites() == 0; }, 10000);
    }

  private slots:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(pedals.file("data")));
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
    }

    void init() {
        folder = std::make_unique<test::TempDir>("settings-case");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder->file("cache")));
        controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
    }

    void cleanup() {
        controller.reset();
        DeviceRegistry::resetRegistry();
    }

    void clicksReachThePedalInClickOrder() {
        // Channel 1, and a home view word past the five views.
        test::writeText(state(), json{{"settings",
                                       {{"midiChannel", 0},
                                        {"midiThru", 0},
                                        {"midiKeyboard", 0},
                                        {"displayContrast", 8},
                                        {"displayHomeview", 7},
                                        {"displayNameCrawl", 1}}}}
                                     .dump());
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM01", sim);
        QVERIFY(screen != nullptr);
        QTRY_COMPARE(screen->homeviewField()->text(), QStringLiteral("Home View: Standard"));
        QCOMPARE(accessibleName(screen->midiChannelField()), QStringLiteral("MIDI Channel: 1"));
        QCOMPARE(accessibleName(screen->midiThruField()), QStringLiteral("MIDI Thru: Off"));
        QCOMPARE(accessibleName(screen->contrastSlider()), QStringLiteral("Contrast: 80"));
        QCOMPARE(accessibleName(screen->homeviewField()), QStringLiteral("Home View: Standard"));
        QCOMPARE(accessibleName(screen->nameCrawlCheckbox()), QStringLiteral("Name Crawl"));
        QVERIFY(screen->nameCrawlCheckbox()->isChecked());

        // Seventeen quick clicks: each shows its channel at once, and the pedal gets every
        // one of them in order, back to channel 1.
        QStringList shown;
        for (int click = 0; click < 17; ++click) {
            QTest::mouseClick(screen->midiChannelField(), Qt::LeftButton);
            shown << screen->midiChannelField()->text();
        }
        QStringList expected;
        for (int channel = 2; channel <= 16; ++channel) expected << QString::number(channel);
        expected << QStringLiteral("Omni") << QStringLiteral("1");
        QCOMPARE(shown, expected);
        QVERIFY(settled(screen));
        const DeviceRef device = controller->currentDevice();
        std::vector<std::uint64_t> values;
        for (std::uint64_t value = 1; value <= 16; ++value) values.push_back(value);
        values.push_back(0);
        QCOMPARE(test::pokedValues(record(), test::addressOf(device, "midi/channel")), values);
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("1"));

        // The other steps and toggles, computed from what the screen holds.
        QTest::mouseClick(screen->homeviewField(), Qt::LeftButton);
        QCOMPARE(accessibleName(screen->homeviewField()), QStringLiteral("Home View: Data 2"));
        QTest::mouseClick(screen->midiThruField(), Qt::LeftButton);
        QTest::mouseClick(screen->midiKeyboardField(), Qt::LeftButton);
        QTest::mouseClick(screen->nameCrawlCheckbox(), Qt::LeftButton);
        QVERIFY(!screen->nameCrawlCheckbox()->isChecked());
        QVERIFY(settled(screen));
        QCOMPARE(accessibleName(screen->midiKeyboardField()), QStringLiteral("MIDI Keyboard: On"));
        const json saved = pedalSettings(state());
        QCOMPARE(saved["midiChannel"].get<int>(), 0);
        QCOMPARE(saved["midiThru"].get<int>(), 1);
        QCOMPARE(saved["midiKeyboard"].get<int>(), 1);
        QCOMPARE(saved["displayHomeview"].get<int>(), 3);
        QCOMPARE(saved["displayNameCrawl"].get<int>(), 0);
        QVERIFY(!screen->notice()->isPosted());
    }

    void contrastTakesTheSlidersStep() {
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM02", sim);
        QVERIFY(screen != nullptr);
        ui::Slider* slider = screen->contrastSlider();
        const struct {
            double value;
            QString shown;
        } steps[] = {{94.5, "Contrast: 90"},
                     {50, "Contrast: 50"},
                     {95.4, "Contrast: 90"},
                     {99.5, "Contrast: 100"}};
        for (const auto& step : steps) {
            screen->slider(slider, step.value);
            QCOMPARE(screen->contrastField()->text(), step.shown);
        }
        QCOMPARE(slider->doubleValue(), 100.0);
        // A press at 47 % of the slider's travel stops at the step of 50.
        const QSize thumb(16, 24);
        const double x = 0.47 * (slider->width() - thumb.width()) + thumb.width() / 2.0;
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(qRound(x), slider->height() / 2));
        QCOMPARE(screen->contrastField()->text(), QStringLiteral("Contrast: 50"));
        QVERIFY(settled(screen));
        QCOMPARE(test::pokedValues(
                     record(), test::addressOf(controller->currentDevice(), "display/contrast")),
                 (std::vector<std::uint64_t>{9, 5, 9, 10, 5}));
        QCOMPARE(pedalSettings(state())["displayContrast"].get<int>(), 5);
    }

    // Which boxes are checked, and whether the restore button takes a click, after each
    // series of clicks on the boxes. No pedal is needed for the rule.
    void restoreButtonFollowsTheBoxes() {
        auto screen = MIV3Settings::controller();
        screen->view()->show();
        ui::ToggleButton* presets = screen->restorePresetsCheckbox();
        ui::ToggleButton* expression = screen->restoreExpressionCheckbox();
        ui::ToggleButton* midi = screen->restoreMIDISettingsCheckbox();
        ui::ToggleButton* display = screen->restoreDisplaySettingsCheckbox();
        ui::ToggleButton* all = screen->restoreAllCheckbox();
        const struct {
            const char* name;
            std::vector<ui::ToggleButton*> clicks;
            bool allChecked;
            bool fourChecked;
            bool enabled;
        } cases[] = {
            {"nothing checked", {}, false, false, false},
            {"one box", {presets}, false, false, true},
            {"all four boxes", {presets, expression, midi, display}, true, true, true},
            {"one of four unchecked",
             {presets, expression, midi, display, expression},
             false,
             false,
             true},
            {"all", {all}, true, true, true},
            {"all, then one box off", {all, midi}, false, false, true},
            {"all, then every box off",
             {all, presets, expression, midi, display},
             false,
             false,
             false},
            {"all twice", {all, all}, false, false, false},
        };
        for (const auto& c : cases) {
            for (ui::ToggleButton* box : {presets, expression, midi, display, all})
                box->setChecked(false);
            screen->restoreCheckboxStateChanged(nullptr);
            for (ui::ToggleButton* box : c.clicks) QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY2(all->isChecked() == c.allChecked, c.name);
            if (c.fourChecked)
                for (ui::ToggleButton* box : {presets, expression, midi, display})
                    QVERIFY2(box->isChecked(), c.name);
            QVERIFY2(screen->restoreButton()->isEnabled() == c.enabled, c.name);
        }
    }

    void factoryResetSendsItsMaskAndAsksBeforeErasingPresets() {
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM03", sim);
        QVERIFY(screen != nullptr);
        const DeviceRef device = controller->currentDevice();
        const std::uint32_t resetWord = test::addressOf(device, "factory-reset");
        // Answers the question the reset asks, if it asks one; false when that was not as
        // expected.
        const auto answered = [](bool asks, const QString& answer) {
            if (!asks) return test::shownAlert() == nullptr;
            const ui::Alert* alert = test::waitForAlert();
            return alert != nullptr &&
                   alert->headline() == QString::fromLatin1(MIV3Settings::kConfirmPresetReset) &&
                   test::answerAlert(answer);
        };
        // The factory presets are there, and the channel is moved off its default.
        QVERIFY(harbrix::presets(device).cached(0) && !harbrix::presets(device).cached(0)->empty());
        QTest::mouseClick(screen->midiChannelField(), Qt::LeftButton);
        QVERIFY(settled(screen));
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("3"));

        ui::ToggleButton* presets = screen->restorePresetsCheckbox();
        ui::ToggleButton* expression = screen->restoreExpressionCheckbox();
        ui::ToggleButton* midi = screen->restoreMIDISettingsCheckbox();
        ui::ToggleButton* display = screen->restoreDisplaySettingsCheckbox();
        const struct {
            const char* name;
            std::vector<ui::ToggleButton*> boxes;
            std::uint64_t mask;
            bool asks;
        } cases[] = {
            {"MIDI and display", {midi, display}, 12, false},
            {"expression", {expression}, 2, false},
            {"presets and MIDI", {presets, midi}, 5, true},
            {"all four boxes", {presets, expression, midi, display}, 16, true},
            {"all", {screen->restoreAllCheckbox()}, 16, true},
        };
        std::vector<std::uint64_t> masks;
        for (const auto& c : cases) {
            for (ui::ToggleButton* box : c.boxes) QTest::mouseClick(box, Qt::LeftButton);
            QTest::mouseClick(screen->restoreButton(), Qt::LeftButton);
            QVERIFY2(answered(c.asks, ui::Alert::kYes), c.name);
            QVERIFY2(settled(screen), c.name);
            masks.push_back(c.mask);
            QVERIFY2(test::pokedValues(record(), resetWord) == masks, c.name);
            QVERIFY2(!screen->restoreButton()->isEnabled(), c.name);
            QVERIFY2(!presets->isChecked() && !screen->restoreAllCheckbox()->isChecked(), c.name);
        }
        // The MIDI reset shows the channel the pedal went back to, and the erased presets
        // are read again.
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("2"));
        QTRY_VERIFY_WITH_TIMEOUT(
            harbrix::presets(device).cached(0) && harbrix::presets(device).cached(0)->empty(),
            10000);

        // "No" keeps the boxes and sends nothing.
        QTest::mouseClick(presets, Qt::LeftButton);
        QTest::mouseClick(screen->restoreButton(), Qt::LeftButton);
        QVERIFY(answered(true, ui::Alert::kNo));
        QVERIFY(presets->isChecked());
        QVERIFY(screen->restoreButton()->isEnabled());
        QCOMPARE(screen->pendingWrites(), 0);
        QCOMPARE(test::pokedValues(record(), resetWord), masks);
    }

    // A reset of the presets the journal cannot take asks whether to go on without Undo, and
    // resets only on Continue.
    void factoryResetWithoutTheJournalAsks() {
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM05", sim);
        QVERIFY(screen != nullptr);
        const DeviceRef device = controller->currentDevice();
        const std::uint32_t resetWord = test::addressOf(device, "factory-reset");
        const std::string folder = journalDirectory();
        std::filesystem::create_directories(std::filesystem::path(folder).parent_path());
        std::filesystem::remove_all(folder);
        test::writeText(folder, "not a folder");
        std::vector<std::uint64_t> masks;
        for (const QString& answer : {ui::Alert::kCancel, QStringLiteral("Continue")}) {
            QTest::mouseClick(screen->restorePresetsCheckbox(), Qt::LeftButton);
            QTest::mouseClick(screen->restoreButton(), Qt::LeftButton);
            QVERIFY(test::answerAlert(ui::Alert::kYes));
            const ui::Alert* question = test::waitForAlert();
            QVERIFY(question != nullptr);
            QVERIFY(question->headline().startsWith(
                QStringLiteral("Undo is not available: the journal could not be written")));
            QVERIFY(test::answerAlert(answer));
            QVERIFY(settled(screen));
            if (answer != ui::Alert::kCancel) masks.push_back(1);
            QCOMPARE(test::pokedValues(record(), resetWord), masks);
        }
        std::filesystem::remove(folder);
    }

    void refusedWritesShowWhatThePedalHolds() {
        std::unique_ptr<test::Simulator> sim;
        // Firmware 42 keeps the channel word at 0x11900790 and the reset word at 0x119007AC.
        MIV3Settings* screen = plugAndOpen(
            "SETM04", sim, {"--error", "POKEC@0x11900790=5", "--error", "POKEC@0x119007AC=5"});
        QVERIFY(screen != nullptr);
        QTRY_COMPARE(screen->midiChannelField()->text(), QStringLiteral("2"));
        QTest::mouseClick(screen->midiChannelField(), Qt::LeftButton);
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("3"));
        QVERIFY(settled(screen));
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("2"));
        QCOMPARE(
            screen->notice()->notice(),
            QStringLiteral(
                "The pedal did not take the new MIDI channel; the screen shows what it holds."));

        // The next action clears the notice; a refused reset says so.
        QTest::mouseClick(screen->restoreExpressionCheckbox(), Qt::LeftButton);
        QTest::mouseClick(screen->restoreButton(), Qt::LeftButton);
        QVERIFY(!screen->notice()->isPosted());
        QVERIFY(settled(screen));
        QCOMPARE(screen->notice()->notice(),
                 QStringLiteral("The pedal did not take the factory reset."));
    }

    void aSecondScreenStartsFromTheLastKnownSettings() {
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM05", sim);
        QVERIFY(screen != nullptr);
        for (int click = 0; click < 3; ++click)
            QTest::mouseClick(screen->midiChannelField(), Qt::LeftButton);
        QTest::mouseClick(screen->midiThruField(), Qt::LeftButton);
        QVERIFY(settled(screen));
        QCOMPARE(screen->midiChannelField()->text(), QStringLiteral("5"));

        // Choosing the pedal again makes new screens; the new settings screen shows the
        // record before the pedal has been asked again.
        controller->header().deviceSelected(QStringLiteral("SETM05"));
        auto* second = dynamic_cast<MIV3Settings*>(controller->screens().settings().get());
        QVERIFY(second != nullptr && second != screen);
        QVERIFY(second->isViewLoaded());
        QCOMPARE(second->core().midiChannel, 4u);
        QCOMPARE(second->midiChannelField()->text(), QStringLiteral("5"));
        QCOMPARE(second->midiThruField()->text(), QStringLiteral("On"));
    }

    // The pedal goes while a write waits on its queue: the screen stops counting it.
    void aWriteWhosePedalWentIsNoLongerPending() {
        struct Host {
            DeviceRef device;
        } host;
        test::ScriptedPedals scripted;
        host.device = scripted.make("MIV3", "SETGONE");
        QVERIFY(host.device);
        auto screen = MIV3Settings::controller(host.device);
        screen->view();
        railSync(host.device->queue(), [] {});  // the screen's first read has ended
        test::QueueGate gate(host.device->queue());
        screen->midiChannelButtonClicked();
        QCOMPARE(screen->pendingWrites(), 1);
        const std::weak_ptr<QORUARTDevice> gone = host.device;
        host.device.reset();
        QVERIFY(gone.expired());
        gate.open();
        QTRY_COMPARE(screen->pendingWrites(), 0);
    }

    void screenshots() {
        std::unique_ptr<test::Simulator> sim;
        MIV3Settings* screen = plugAndOpen("SETM06", sim);
        QVERIFY(screen != nullptr);
        QTRY_COMPARE(screen->contrastField()->text(), QStringLiteral("Contrast: 80"));
        QVERIFY(test::saveShot(controller->window(), QStringLiteral("miv3-settings")));

        // The question before the presets are erased, drawn over the window where it shows.
        QTest::mouseClick(screen->restorePresetsCheckbox(), Qt::LeftButton);
        QTest::mouseClick(screen->restoreButton(), Qt::LeftButton);
        ui::Alert* alert = test::waitForAlert();
        QVERIFY(alert != nullptr);
        QVERIFY(test::saveShot(test::windowWithAlert(controller->window(), alert),
                               QStringLiteral("miv3-reset-confirmation")));
        QVERIFY(test::answerAlert(ui::Alert::kNo));
        QTRY_VERIFY(screen->view()->findChild<ui::Alert*>() == nullptr);
        QVERIFY(screen->restorePresetsCheckbox()->isChecked());
        QCOMPARE(screen->pendingWrites(), 0);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    MIV3SettingsQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MIV3SettingsQtTest.moc"
