// The application controller driven by hand with pedals brought up in memory: which pedal
// is current and which screen shows as pedals come and go or are chosen, the direction
// screens slide in, the maintenance commands' log lines, debug mode, the empty state's
// driver button and the relaunch.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "ShellHarness.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "editor/Editor.h"
#include "link/Commands.h"
#include "platform/Log.h"
#include "settings/Settings.h"
#include "shell/Application.h"
#include "shell/History.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/FirmwareRelease.h"
#include "support/HttpServer.h"
#include "support/ShownAlerts.h"
#include "support/TempDir.h"
#include "support/WindowTests.h"
#include "transfers/Transfers.h"
#include "ui/Alert.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"

using namespace harbrix;
using test::shown;
using test::shownClass;

namespace {

// Log lines written while it lives.
class Lines {
  public:
    Lines()
        : capture_([this](const std::string& line) { lines_ << QString::fromStdString(line); }) {}
    const QStringList& all() const { return lines_; }
    QStringList containing(const QString& part) const { return lines_.filter(part); }

  private:
    QStringList lines_;
    LogCapture capture_;
};

}  // namespace

class AppDelegateQtTest : public QObject {
    Q_OBJECT
    test::ScriptedPedals pedals;

  private slots:
    void initTestCase() {
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void firstPedalShowsItsScreen_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("tab");
        QTest::newRow("MIV3 edits presets") << "MIV3"
                                            << "MIV3Editor" << 1;
        QTest::newRow("NAX3 alone: settings") << "NAX3"
                                              << "NAX3Settings" << 2;
    }
    void firstPedalShowsItsScreen() {
        QFETCH(QString, model);
        QFETCH(QString, screen);
        QFETCH(int, tab);
        auto controller = test::launchWithoutDiscovery();
        QCOMPARE(shownClass(*controller), QStringLiteral("Nothing"));
        const DeviceRef device = pedals.make(model.toStdString(), "FIRST1");
        QVERIFY(device);
        controller->deviceIsConnected(device);
        QCOMPARE(controller->currentDevice(), device);
        QTRY_COMPARE(shownClass(*controller), screen);
        const ui::ToggleButton* tabs[] = {controller->screens().transfersTabButton(),
                                          controller->screens().editorTabButton(),
                                          controller->screens().settingsTabButton()};
        for (int i = 0; i < 3; ++i) QCOMPARE(tabs[i]->isChecked(), i == tab);
        QVERIFY(controller->header().pedalboard()->isVisible());
        QVERIFY(!controller->header().emptyPedalboard()->isVisible());
        QCOMPARE(controller->header().pedalboard()->imageName(), "HEADER_" + model + "_pedalboard");
    }

    void secondPedalChangesNeitherCurrentNorScreen() {
        auto controller = test::launchWithoutDiscovery();
        const DeviceRef first = pedals.make("MIV3", "A1");
        const DeviceRef second = pedals.make("NAX3", "B2");
        controller->deviceIsConnected(first);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        const auto editor = controller->screens().currentController();
        controller->deviceIsConnected(second);
        QVERIFY(test::mainRailPassed());
        QCOMPARE(controller->currentDevice(), first);
        QCOMPARE(controller->screens().currentController(), editor);
        QCOMPARE(controller->header().selector()->devices().size(), std::size_t(2));
        QCOMPARE(controller->header().selector()->devices()[1].serial, QStringLiteral("B2"));
        QCOMPARE(controller->header().selector()->current(), std::size_t(0));
    }

    void disconnectingTheCurrentPedalFallsBackToTheNewestOne() {
        auto controller = test::launchWithoutDiscovery();
        const DeviceRef a = pedals.make("MIV3", "A1");
        const DeviceRef b = pedals.make("NAX3", "B2");
        const DeviceRef c = pedals.make("NAX3", "C3");
        for (const DeviceRef& device : {a, b, c}) controller->deviceIsConnected(device);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));

        controller->deviceHasBeenDisconnected(a);
        QCOMPARE(controller->currentDevice(), c);
        QTRY_COMPARE(test::shownDevice(*controller), c);
        QCOMPARE(shownClass(*controller), QStringLiteral("NAX3Settings"));
        // The settings screen of the newest pedal, not of the one that went.
        QCOMPARE(dynamic_cast<Settings*>(controller->screens().currentController().get())
                     ->serialNumber()
                     ->text(),
                 QStringLiteral("Serial C3"));
        QCOMPARE(controller->header().selector()->devices().size(), std::size_t(2));
        QCOMPARE(controller->header().selector()->current(), std::size_t(1));

        // A pedal that is not current goes without changing anything.
        controller->deviceHasBeenDisconnected(b);
        QCOMPARE(controller->currentDevice(), c);

        controller->deviceHasBeenDisconnected(c);
        QVERIFY(!controller->currentDevice());
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("Nothing"));
        QVERIFY(controller->header().emptyPedalboard()->isVisible());
        QVERIFY(!controller->header().pedalboard()->isVisible());
        for (const auto* tab :
             {controller->screens().transfersTabButton(), controller->screens().editorTabButton(),
              controller->screens().settingsTabButton()})
            QVERIFY(!tab->isChecked());
        QVERIFY(controller->screens().nothing()->view()->isVisible());
        QCOMPARE(controller->screens().nothing()->view()->pos(),
                 controller->window()->screenArea().topLeft());
    }

    void choosingAPedalInTheSelector() {
        auto controller = test::launchWithoutDiscovery();
        const DeviceRef miv = pedals.make("MIV3", "M1");
        const DeviceRef nax = pedals.make("NAX3", "N1");
        const DeviceRef other = pedals.make("MIV3", "M2");
        for (const DeviceRef& device : {miv, nax, other}) controller->deviceIsConnected(device);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));

        // A NAX3 cannot edit presets: its settings replace the editor.
        controller->header().openSelector();
        QVERIFY(controller->header().selectorOpen());
        QAbstractButton* naxButton = controller->header().selector()->buttons()[1];
        QTest::mouseClick(naxButton, Qt::LeftButton, {}, naxButton->rect().center());
        QVERIFY(!controller->header().selectorOpen());
        QCOMPARE(controller->currentDevice(), nax);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("NAX3Settings"));
        QVERIFY(controller->screens().settingsTabButton()->isChecked());

        // Another MIV3 while its editor shows: a new editor fades in over the old one.
        controller->header().deviceSelected(QStringLiteral("M1"));
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Settings"));
        controller->screens().switchToEditor();
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        const auto oldEditor = controller->screens().currentController();
        QWidget* oldView = oldEditor->view();
        controller->header().deviceSelected(QStringLiteral("M2"));
        QTRY_COMPARE(test::shownDevice(*controller), other);
        QCOMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        QVERIFY(controller->screens().currentController() != oldEditor);
        QVERIFY(controller->screens().currentController()->view()->isVisible());
        QCOMPARE(controller->screens().currentController()->view()->pos(),
                 controller->window()->screenArea().topLeft());
        QVERIFY(!oldView->isVisible());
        // The new editor shows the new pedal's slots, and so does the new transfer screen.
        QCOMPARE(dynamic_cast<Editor*>(controller->screens().currentController().get())
                     ->table()
                     ->rowCount(),
                 std::size_t(100));
        auto* transfers = dynamic_cast<Transfers*>(controller->screens().transfers().get());
        QVERIFY(transfers != nullptr);
        QCOMPARE(transfers->device(), other);

        // Unknown and empty serials change nothing.
        controller->header().deviceSelected(QStringLiteral("NOPE"));
        controller->header().deviceSelected(QString());
        QCOMPARE(controller->currentDevice(), other);
    }

    // Escape pressed in the window closes the open chooser: the keyboard goes to it.
    void escapeClosesTheChooser() {
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(pedals.make("MIV3", "E1"));
        controller->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(controller->window()));
        controller->header().openSelector();
        QVERIFY(controller->header().selectorOpen());
        QTest::keyClick(controller->window()->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!controller->header().selectorOpen());
    }

    void screensSlideByTheirOrder() {
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(pedals.make("MIV3", "S1"));
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        const QRect area = controller->window()->screenArea();
        const int width = area.width();
        const struct {
            void (ScreenSwitcher::*go)();
            const char* to;
            int direction;  // +1: both views move right
        } steps[] = {
            {&ScreenSwitcher::switchToSettings, "MIV3Settings", -1},
            {&ScreenSwitcher::switchToTransfers, "Transfers", +1},
            {&ScreenSwitcher::switchToEditor, "MIV3Editor", -1},
            {&ScreenSwitcher::switchToTransfers, "Transfers", +1},
            {&ScreenSwitcher::switchToSettings, "MIV3Settings", -1},
        };
        for (const auto& step : steps) {
            QWidget* from = controller->screens().currentController()->view();
            (controller->screens().*step.go)();
            QTRY_COMPARE(shownClass(*controller), QString::fromLatin1(step.to));
            QWidget* to = controller->screens().currentController()->view();
            QCOMPARE(to->pos(), area.topLeft());
            QCOMPARE(from->pos(), area.topLeft() + QPoint(step.direction * width, 0));
        }
    }

    void suspendAndRecoverWritesItsLines_data() {
        QTest::addColumn<bool>("suspendFails");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("suspend fails")
            << true << QStringList{QStringLiteral("cu.usbserial-R1 was NOT suspended")};
        QTest::newRow("both succeed")
            << false
            << QStringList{QStringLiteral("cu.usbserial-R1 was suspended"),
                           QStringLiteral("cu.usbserial-R1 was recovered")};
    }
    void suspendAndRecoverWritesItsLines() {
        QFETCH(bool, suspendFails);
        QFETCH(QStringList, lines);
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(pedals.make("MIV3", "R1", [&](test::ScriptedPedal& pedal) {
            if (suspendFails) pedal.errors[Command::SUSPENDC] = 3;
        }));
        QAction sender(QStringLiteral("Suspend and Recover"));
        Lines log;
        controller->maintenance().suspendAndRecover(&sender);
        QVERIFY(!sender.isEnabled());
        QTRY_VERIFY(sender.isEnabled());
        QCOMPARE(log.containing(QStringLiteral("cu.usbserial-R1 was")), lines);
    }

    void firmwareFileChosenInThePanel() {
        auto controller = test::launchWithoutDiscovery();
        const DeviceRef device = pedals.make("MIV3", "F1");
        controller->deviceIsConnected(device);
        const auto& line = *pedals.last().line();
        QTemporaryDir files;
        const QString image = files.filePath(QStringLiteral("image.bin"));
        const QString empty = files.filePath(QStringLiteral("empty.bin"));
        std::ofstream(image.toStdString()) << std::string(300, '\x5A');
        std::ofstream(empty.toStdString()) << "";
        const auto sent = [&] {
            railSync(device->queue(), [] {});
            return line.writes().size();
        };
        const std::size_t before = sent();
        // Cancel, an empty file and a folder send nothing.
        controller->maintenance().firmwarePanelEnded(0, image);
        controller->maintenance().firmwarePanelEnded(1, empty);
        controller->maintenance().firmwarePanelEnded(1, files.path());
        QCOMPARE(sent(), before);
        controller->maintenance().firmwarePanelEnded(-1002, image);
        QVERIFY(sent() > before);
    }

    // A pedal that cannot say which preset is selected gets an error line, not "0:on-deck".
    void selectedPresetTestSaysWhenItCannotTell_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("line");
        QTest::newRow("MIV3") << "MIV3"
                              << "3:";
        QTest::newRow("NAX3 lacks the word")
            << "NAX3"
            << "cu.usbserial-T1: the selected preset could not be read";
    }
    void selectedPresetTestSaysWhenItCannotTell() {
        QFETCH(QString, model);
        QFETCH(QString, line);
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(
            pedals.make(model.toStdString(), "T1", [](test::ScriptedPedal& p) { p.selected = 3; }));
        Lines log;
        controller->maintenance().selectedPresetTest();
        QTRY_VERIFY(std::any_of(log.all().begin(), log.all().end(),
                                [&](const QString& written) { return written.startsWith(line); }));
        QVERIFY(log.containing(QStringLiteral("0:on-deck")).isEmpty());
    }

    void debugModeComesFromTheMarkerFile() {
        QTemporaryDir home;
        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        QDir(home.path()).mkpath(QStringLiteral("Desktop"));
        {
            auto controller = test::launchWithoutDiscovery();
            QVERIFY(controller->maintenance().debugMenuItem() == nullptr);
            QVERIFY(controller->maintenance().history() == nullptr);
        }
        std::ofstream((home.path() + "/Desktop/Harbrix.debug").toStdString()) << "";
        auto controller = test::launchWithoutDiscovery();
        QVERIFY(controller->maintenance().debugMenuItem() != nullptr);
        QVERIFY(controller->maintenance().history() != nullptr);
        QVERIFY(controller->window()->menuBar()->actions().contains(
            controller->maintenance().debugMenuItem()->menuAction()));
        qputenv("HOME", saved);

        // The recover button: enabled by a successful suspend, disabled by recover.
        controller->deviceIsConnected(pedals.make("MIV3", "D1"));
        QAction* recover = controller->maintenance().recoverButton();
        QVERIFY(!recover->isEnabled());
        Lines log;
        controller->maintenance().suspend();
        QTRY_VERIFY(recover->isEnabled());
        recover->trigger();
        QVERIFY(!recover->isEnabled());
        QTRY_COMPARE(log.containing(QStringLiteral("cu.usbserial-D1 was")),
                     (QStringList{QStringLiteral("cu.usbserial-D1 was suspended"),
                                  QStringLiteral("cu.usbserial-D1 was recovered")}));
    }

    void presetAnnouncementsReachTheScreensAndTheEditorFollowsOnce() {
        auto controller = test::launchWithoutDiscovery();
        const DeviceRef device =
            pedals.make("MIV3", "P1", [](test::ScriptedPedal& pedal) { pedal.selected = 3; });
        const DeviceRef other = pedals.make("MIV3", "P2");
        controller->deviceIsConnected(device);
        controller->deviceIsConnected(other);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        auto* editor = dynamic_cast<Editor*>(controller->screens().editor().get());
        QVERIFY(editor != nullptr);
        auto* transfers = dynamic_cast<Transfers*>(controller->screens().transfers().get());
        QVERIFY(transfers != nullptr);
        transfers->view();  // its slots exist once its view does
        for (std::size_t slot = 0; slot < 6; ++slot)
            presets(device).setCached(
                Preset::presetWithSerialized(test::presetBytes("Read", 1), device.get()), slot);
        // Nothing is redrawn until the pedal says so.
        QCOMPARE(transfers->slot(2)->accessibleName(), QStringLiteral("Slot 3, Unknown"));
        QTRY_VERIFY(controller->pedals().knowsSelection(device));
        for (std::size_t slot = 0; slot < 6; ++slot)
            controller->deviceHasUpdatedPresetAtIndex(device, slot);
        controller->deviceHasUpdatedPresetAtIndex(other, 7);
        QCOMPARE(transfers->slot(2)->accessibleName(), QStringLiteral("Slot 3, Read"));
        // The editor follows the pedal's own slot once it has been read, and only once: a
        // later announcement of that slot leaves the user's choice alone.
        QTRY_VERIFY(controller->pedals().initialized());
        QCOMPARE(editor->selectedRow(), std::optional<std::size_t>(3));
        editor->selectPreset(5);
        controller->deviceHasUpdatedPresetAtIndex(device, 3);
        QVERIFY(test::mainRailPassed());
        QCOMPARE(editor->selectedRow(), std::optional<std::size_t>(5));

        // Settings and firmware news reach the settings screen of the current pedal only.
        auto* settings = dynamic_cast<Settings*>(controller->screens().settings().get());
        QVERIFY(settings != nullptr);
        settings->view();
        const SettingsBlock earlier = settings->core();
        SettingsBlock block;
        block.midiChannel = 5;
        controller->deviceHasUpdatedSettings(other, block);
        QVERIFY(settings->core() == earlier);
        controller->deviceHasUpdatedSettings(device, block);
        QCOMPARE(settings->core().midiChannel, 5u);

        // A checker that has found new firmware; the screen hears of it through the
        // controller, and only then shows the update button.
        test::HttpServer server;
        test::TempDir cache("shell-firmware");
        test::publishFirmware(server, "MIV3", "99.0.0", Bytes(300, 0x5A));
        // Plain HTTP is fetched only from the loopback server named here.
        qputenv("HARBRIX_UPDATE_SERVER", QByteArray::fromStdString(server.url()));
        StingerFacts facts;
        facts.periodic = false;
        facts.folder = cache.path();
        facts.currentVersion = [] { return Version::versionWithString("1.0.0"); };
        facts.applicationVersion = [] { return Version::versionWithString("1.0.0"); };
        const auto checker = Stinger::firmwareStinger(
            server.url() + test::firmwareManifestPath("MIV3"), "MIV3", {}, facts);
        QVERIFY(checker->coreCheck());
        qunsetenv("HARBRIX_UPDATE_SERVER");
        device->model()->setStinger(checker);
        QVERIFY(settings->updateButton()->isHidden());
        AppDelegate::stingerDelegate()->stingerHasAvailableUpdate(*checker);
        QTRY_VERIFY(!settings->updateButton()->isHidden());
        device->model()->setStinger(nullptr);
    }

    // The install button stays offered for as long as the finder still misses the driver,
    // whatever the installer said, and says why the installation did not take.
    void emptyStateOffersTheDriverUntilItIsThere() {
        // The installer stand-in answers `answer` and leaves the driver `missingAfter`.
        std::atomic<bool> missing = true;
        std::atomic<bool> missingAfter = true;
        std::atomic<TolvaneStatus> answer = TolvaneStatus::notAuthorised;
        Nothing::Driver driver;
        driver.needsKext = [&missing] { return missing.load(); };
        driver.launchTolvaneer = [&] {
            missing = missingAfter.load();
            return answer.load();
        };
        auto nothing = Nothing::controller(driver);
        QWidget* view = nothing->view();
        view->show();
        QVERIFY(nothing->installButton()->isVisible());
        QCOMPARE(nothing->message()->text(), QString::fromLatin1(Nothing::kDriverMissing));

        const struct {
            TolvaneStatus status;
            bool missingAfter;
            const char* message;
        } steps[] = {
            {TolvaneStatus::notAuthorised, true, Nothing::kNotAuthorised},
            {TolvaneStatus::installed, true, Nothing::kInstallFailed},  // said so, but is not
            {TolvaneStatus::failed, true, Nothing::kInstallFailed},
            {TolvaneStatus::installed, false, Nothing::kNoDevices},
        };
        for (const auto& step : steps) {
            answer = step.status;
            missingAfter = step.missingAfter;
            nothing->launchTolvaneer();
            QVERIFY(!nothing->installButton()->isEnabled());
            QTRY_VERIFY(nothing->installButton()->isEnabled());
            QCOMPARE(nothing->installButton()->isVisible(), step.missingAfter);
            QCOMPARE(nothing->message()->text(), QString::fromLatin1(step.message));
        }

        driver.needsKext = [] { return false; };
        auto installed = Nothing::controller(driver);
        installed->view()->show();
        QVERIFY(!installed->installButton()->isVisible());
        QCOMPARE(installed->message()->text(), QString::fromLatin1(Nothing::kNoDevices));
    }

    // The real Tolvane with an elevator that refuses the password, as pkexec does: the
    // installer exits non-zero and the empty state offers the installation again.
    void aRefusedPasswordKeepsTheInstallOffered() {
        QTemporaryDir scratch;
        const QString elevator = scratch.filePath(QStringLiteral("elevator.sh"));
        std::ofstream(elevator.toStdString()) << "#!/bin/sh\nexit 126\n";
        QFile::setPermissions(elevator, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("TOLVANE_ELEVATOR", elevator.toUtf8());
        qputenv("HARBRIX_DRIVER_FINDER", "true");
        qputenv("HARBRIX_SYSTEM_VERSION", "Linux 6.1");
        auto nothing = Nothing::controller();
        nothing->view()->show();
        QVERIFY(nothing->installButton()->isVisible());
        nothing->launchTolvaneer();
        QTRY_VERIFY_WITH_TIMEOUT(nothing->installButton()->isEnabled(), 10000);
        QVERIFY(nothing->installButton()->isVisible());
        QCOMPARE(nothing->message()->text(), QString::fromLatin1(Nothing::kNotAuthorised));
        for (const char* name :
             {"TOLVANE_ELEVATOR", "HARBRIX_DRIVER_FINDER", "HARBRIX_SYSTEM_VERSION"})
            qunsetenv(name);
    }

    // "Software Update..." before the start-up task made the checker starts a check and says
    // it is running; once the check failed, it says why, never "You're up to date!".
    void softwareUpdateTellsTheTruthAboutItsCheck() {
        QVERIFY(!ApplicationInfo::stinger());
        // The check waits on a held request until the test lets the server drop it.
        test::HttpServer server;
        server.setDropping(true);
        server.hold();
        qputenv("HARBRIX_UPDATE_SERVER", QByteArray::fromStdString(server.url()));
        // The notice shown, dismissed with OK.
        const auto told = [] {
            const ui::Alert* alert = test::waitForAlert();
            const QString text = alert ? alert->headline() + " / " + alert->finePrint() : QString();
            return test::answerAlert(ui::Alert::kOK) ? text : QString();
        };
        auto controller = test::launchWithoutDiscovery();
        controller->header().checkForSoftwareUpdates();
        const auto checker = ApplicationInfo::stinger();
        QVERIFY(checker);
        QCOMPARE(told(), QStringLiteral("Harbrix is still checking for updates. / The check has "
                                        "not finished yet; try again in a moment."));
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(!checker->checking(), 10000);
        controller->header().checkForSoftwareUpdates();
        QCOMPARE(told(), QStringLiteral("Harbrix could not check for updates. / The update "
                                        "server could not be reached."));
        qunsetenv("HARBRIX_UPDATE_SERVER");
    }

    void relaunchScriptRunsOnlyAfterBounce() {
        QTemporaryDir resources;
        QDir(resources.path()).mkpath(QStringLiteral("Scripts"));
        const QString marker = resources.path() + "/relaunched";
        std::ofstream((resources.path() + "/Scripts/bounce.sh").toStdString())
            << "#!/bin/sh\necho \"$HARBRIX_PID\" >> '" << marker.toStdString() << "'\n";
        const QByteArray saved = qgetenv("HARBRIX_RESOURCES");
        qputenv("HARBRIX_RESOURCES", resources.path().toUtf8());
        auto controller = test::launchWithoutDiscovery();
        controller->updates().applicationWillTerminate();
        QVERIFY(!QFile::exists(marker));
        controller->updates().bounce();
        QVERIFY(controller->updates().bounceRequested());
        controller->updates().applicationWillTerminate();
        QTRY_VERIFY(QFile::exists(marker));
        // The script appends a line a run: a run started by the first call would have
        // written before the one started after it.
        QFile written(marker);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().count('\n'), 1);
        qputenv("HARBRIX_RESOURCES", saved);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    AppDelegateQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AppDelegateQtTest.moc"
