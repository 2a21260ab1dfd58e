// A pedal that restarts while connected, with the real controller and discovery against the
// simulator: after Maintenance > Reboot, a firmware flash from the maintenance menu, a
// restart by its owner and a factory reset that restarts it, the header says the pedal is
// restarting and its screen takes no clicks, the pedal is brought up again at its fast
// speed, the screen is given back, and the next operation reaches the pedal. One that never
// answers again is let go.
#include <QDir>
#include <QLabel>
#include <QTest>

#include <fstream>

#include "ShellHarness.h"
#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "editor/EditorHarness.h"
#include "settings/MIV3Settings.h"
#include "shell/Application.h"
#include "shell/FirmwareFlashDialog.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/WindowTests.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"

using namespace harbrix;

namespace {

constexpr int kConnectMs = 20000;

QAction* command(const AppDelegate& controller, const QString& title) {
    for (QAction* action : controller.maintenance().debugMenuItem()->actions())
        if (action->text() == title) return action;
    return nullptr;
}

QLabel* restartNotice(const AppDelegate& controller) {
    return controller.window()->findChild<QLabel*>(QStringLiteral("pedalRestarting"));
}

bool restartShown(const AppDelegate& controller) {
    const QLabel* notice = restartNotice(controller);
    return notice != nullptr && notice->isVisible() &&
           notice->text() == QStringLiteral("MIV III is restarting\u2026");
}

}  // namespace

class PedalRestartQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"restart-pedals"};
    test::TempDir home{"restart-home"};
    std::unique_ptr<test::TempDir> folder;

    std::string state() const { return folder->file("state.json"); }
    std::string record() const { return folder->file("record"); }

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
        // Debug mode, for the maintenance menu.
        QDir().mkpath(QString::fromStdString(home.file("Desktop")));
        std::ofstream(home.file("Desktop/Harbrix.debug")) << "";
        qputenv("HOME", QByteArray::fromStdString(home.path()));
    }

    void init() {
        folder = std::make_unique<test::TempDir>("restart-case");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder->file("cache")));
        test::writeState(state(), {{0, test::presetNamed("Lead")}});
    }

    void cleanup() { DeviceRegistry::resetRegistry(); }

    void comesBack_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"reboot", "flash", "owner", "factory reset"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void comesBack() {
        QFETCH(QString, how);
        auto controller = test::launchWithDiscovery();
        QVERIFY(controller->maintenance().debugMenuItem() != nullptr);
        std::vector<std::string> arguments{"--dir",    pedals.path(), "--serial",   "RESTART1",
                                           "--state",  state(),       "--timeouts", "1,0,0,0",
                                           "--record", record()};
        if (how == QLatin1String("factory reset")) arguments.push_back("--reset-restarts");
        test::Simulator sim(arguments);
        QVERIFY2(sim.running(), sim.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, kConnectMs);
        const DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!presets(device).refreshing(), kConnectMs);
        controller->screens().switchToTransfers();
        QTRY_VERIFY(controller->screens().currentController() == controller->screens().transfers());
        auto* transfers = dynamic_cast<Transfers*>(controller->screens().transfers().get());
        QVERIFY(transfers != nullptr);

        if (how == QLatin1String("reboot")) {
            command(*controller, QStringLiteral("Reboot"))->trigger();
        } else if (how == QLatin1String("flash")) {
            const std::string image = folder->file("image.bin");
            std::ofstream(image, std::ios::binary) << std::string(2 * 256, 'F');
            controller->maintenance().firmwarePanelEnded(1, QString::fromStdString(image));
        } else if (how == QLatin1String("owner")) {
            QVERIFY(sim.restartPedal());
            // The pedal runs at its boot speed now; the first thing sent after that fails,
            // and the pedal is found to have restarted.
            transfers->runTransfer(TransferOperation::move, 0, 7);
        } else {
            controller->screens().switchToSettings();
            auto* settings = dynamic_cast<MIV3Settings*>(controller->screens().settings().get());
            QVERIFY(settings != nullptr);
            QTest::mouseClick(settings->restoreMIDISettingsCheckbox(), Qt::LeftButton);
            QTest::mouseClick(settings->restoreButton(), Qt::LeftButton);
        }
        if (how != QLatin1String("owner")) {
            QTRY_VERIFY_WITH_TIMEOUT(restartShown(*controller), kConnectMs);
            QVERIFY(!controller->screens().currentController()->view()->isEnabled());
            QVERIFY(
                test::saveShot(controller->window(), QStringLiteral("shell"), "restarting-" + how));
        }
        // Brought up again, and the screen given back.
        QTRY_VERIFY_WITH_TIMEOUT(test::occurrences(record(), "SET_BAUD 0 2000000") == 2 &&
                                     !device->restarting() && !restartShown(*controller) &&
                                     transfers->view()->isEnabled(),
                                 kConnectMs);
        QCOMPARE(controller->currentDevice(), device);
        QCOMPARE(controller->screens().transfers().get(), transfers);
        transfers->runTransfer(TransferOperation::move, 0, 5);
        QTRY_COMPARE_WITH_TIMEOUT(presets(device).cached(5)->name(), std::string("Lead"),
                                  kConnectMs);
        QCOMPARE(test::storedHex(state(), 5), test::hexText(test::presetNamed("Lead")));
        QCOMPARE(test::storedHex(state(), 0), std::string());
        if (auto* dialog = controller->window()->findChild<FirmwareFlashDialog*>())
            QCOMPARE(dialog->outcome(), std::optional(FirmwareFlash::Outcome::written));
    }

    // A pedal that never answers after its reboot is let go, and is not taken for one that
    // can be opened.
    void oneThatNeverAnswersIsLetGo() {
        auto controller = test::launchWithDiscovery();
        test::Simulator sim({"--dir", pedals.path(), "--serial", "RESTART2", "--state", state(),
                             "--timeouts", "0,0,0,0", "--silent-from", "GET_CMDS=2"});
        QVERIFY2(sim.running(), sim.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, kConnectMs);
        DeviceRef connected = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!presets(connected).refreshing(), kConnectMs);
        const std::weak_ptr<QORUARTDevice> device = connected;
        connected.reset();
        command(*controller, QStringLiteral("Reboot"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().connected().empty(), 3 * kConnectMs);
        QTRY_COMPARE(test::shownClass(*controller), QStringLiteral("Nothing"));
        QVERIFY(!restartShown(*controller));
        QTRY_VERIFY(device.expired());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    PedalRestartQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PedalRestartQtTest.moc"
