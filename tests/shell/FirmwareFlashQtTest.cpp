// "Flash Firmware from Disk" in the real window against the simulated pedal: files the pedal
// cannot take are refused with a message and nothing sent, a flash shows its percentage and
// then its outcome, and quitting while it runs (closing the window, Quit, SIGTERM) asks
// first and stops in order: the page under way finishes, then RECOVERC and REBOOTC.
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <fstream>
#include <sstream>

#include "ShellHarness.h"
#include "link/FirmwareFlash.h"
#include "shell/Application.h"
#include "shell/FirmwareFlashDialog.h"
#include "shell/QtMainRail.h"
#include "shell/QuitGuard.h"
#include "shell/Window.h"
#include "support/ShownAlerts.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "ui/Alert.h"
#include "ui/Animation.h"

using namespace harbrix;

namespace {

// A simulated MIV3 recording what it receives, brought up by hand and handed to a controller.
struct Pedal {
    test::TempDir folder{"shell-flash"};
    std::unique_ptr<test::Simulator> sim;
    DeviceRef device;

    bool start(const std::string& serial, std::vector<std::string> faults = {}) {
        std::vector<std::string> arguments{
            "--serial", serial,   "--timeouts", "0,0,0,0",
            "--record", record(), "--state",    folder.file("state")};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<test::Simulator>(arguments);
        if (!sim->running()) return false;
        device = std::make_shared<QORUARTDevice>(sim->nodeName(), "MIV3", serial);
        device->setDeviceRoot(sim->dir());
        if (!device->completeInitialization()) return false;
        device->setQueue(railsQueue(serial));
        return true;
    }

    std::string record() const { return folder.file("record"); }

    // What the pedal received after its first bring-up.
    QStringList received() const {
        std::ifstream in(record());
        QStringList lines;
        bool broughtUp = false;
        for (std::string line; std::getline(in, line);) {
            lines << QString::fromStdString(line);
            if (!broughtUp && line.rfind("PRESET_INFO", 0) == 0) {
                broughtUp = true;
                lines.clear();
            }
        }
        return lines;
    }

    QString file(const std::string& name, const std::string& content) const {
        std::ofstream(folder.file(name), std::ios::binary) << content;
        return QString::fromStdString(folder.file(name));
    }
};

FirmwareFlashDialog* dialogOf(const AppDelegate& controller) {
    return controller.window()->findChild<FirmwareFlashDialog*>();
}

}  // namespace

class FirmwareFlashQtTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(!FirmwareFlash::anyRunning(), 20000); }

    void refusedFilesSayWhyAndSendNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "The firmware file is empty.";
        QTest::newRow("Intel HEX")
            << QByteArray(":10010000214601360121470136007EFE09D2190140\r\n:00000001FF\r\n")
            << "Intel HEX";
        QTest::newRow("larger than the flash")
            << QByteArray(int(kPedalFlashSize) + 1, '\x11') << "larger than the pedal's flash";
    }
    void refusedFilesSayWhyAndSendNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        Pedal pedal;
        QVERIFY(pedal.start("FLASHQ1"));
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(pedal.device);
        controller->maintenance().firmwarePanelEnded(1, pedal.file("image", content.toStdString()));
        FirmwareFlashDialog* dialog = dialogOf(*controller);
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->running());
        QVERIFY2(dialog->message()->text().contains(message),
                 qPrintable(dialog->message()->text()));
        QCOMPARE(dialog->button()->text(), QStringLiteral("OK"));
        railSync(pedal.device->queue(), [] {});
        // The window may ask the pedal about its presets; nothing of a flash went out.
        const QStringList sent = pedal.received();
        QVERIFY2(sent.filter(QRegularExpression(QStringLiteral(
                                 "^(SUSPENDC|WRITE_PAGE|WRITE_FLASH|RECOVERC|REBOOTC) ")))
                     .isEmpty(),
                 qPrintable(sent.join(QStringLiteral(", "))));
        dialog->button()->click();
        QTRY_VERIFY(dialogOf(*controller) == nullptr);
    }

    void theOutcomeIsShown_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("last");
        QTest::newRow("success") << QStringList() << true
                                 << "Firmware written; the pedal is restarting."
                                 << "REBOOTC 0 0";
        QTest::newRow("read-back fails")
            << QStringList{"--corrupt", "READ_FLASH=2"} << false
            << "The firmware update failed; the pedal has been told to recover."
            << "REBOOTC 0 0";
    }
    void theOutcomeIsShown() {
        QFETCH(QStringList, faults);
        QFETCH(bool, written);
        QFETCH(QString, outcome);
        QFETCH(QString, last);
        Pedal pedal;
        std::vector<std::string> arguments;
        for (const QString& fault : faults) arguments.push_back(fault.toStdString());
        QVERIFY(pedal.start("FLASHQ2", arguments));
        auto controller = test::launchWithoutDiscovery();
        controller->deviceIsConnected(pedal.device);
        controller->maintenance().firmwarePanelEnded(
            -1002, pedal.file("image.bin", std::string(3 * 256, 'Z')));
        FirmwareFlashDialog* dialog = dialogOf(*controller);
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->running());
        QCOMPARE(dialog->button()->text(), QStringLiteral("Stop"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->outcome().has_value(), 15000);
        QCOMPARE(dialog->message()->text(), outcome);
        QCOMPARE(dialog->outcome() == FirmwareFlash::Outcome::written, written);
        QCOMPARE(dialog->percent() == 100, written);
        QCOMPARE(dialog->bar()->accessibleName(),
                 QStringLiteral("Firmware written: %1%").arg(dialog->percent()));
        // The pedal restarted, and was brought up again at its speed.
        QTRY_VERIFY(pedal.received().contains(QStringLiteral("SET_BAUD 0 2000000")));
        const QStringList received = pedal.received();
        const qsizetype restarted = received.indexOf(QStringLiteral("SET_BAUD 0 2000000"));
        QVERIFY(received.lastIndexOf(last, restarted) >= 0);
        QCOMPARE(received.contains(QStringLiteral("RECOVERC 0 0")), !written);
        dialog->button()->click();
        QTRY_VERIFY(dialogOf(*controller) == nullptr);
    }

    // Closing the window asks; "Keep Updating" keeps both running, "Stop and Quit" (asked
    // again by Quit) stops after the page under way and closes once the pedal was told to
    // recover and reboot.
    void quittingDuringAFlashAsksThenStopsInOrder() {
        Pedal pedal;
        QVERIFY(pedal.start("FLASHQ3"));
        auto controller = test::launchWithoutDiscovery();
        Window* window = controller->window();
        controller->deviceIsConnected(pedal.device);
        controller->maintenance().firmwarePanelEnded(
            1, pedal.file("image.bin", std::string(60 * 256, 'Q')));
        QTRY_VERIFY_WITH_TIMEOUT(pedal.received().contains(QStringLiteral("WRITE_FLASH 0 0")),
                                 15000);

        const auto asked = [] {
            const ui::Alert* alert = test::waitForAlert();
            return alert ? alert->headline() : QString();
        };
        window->close();
        QCOMPARE(asked(), QStringLiteral("A firmware update is running."));
        // Asked once at a time.
        controller->quitAction()->trigger();
        QVERIFY(test::answerAlert(QuitGuard::kKeepUpdating));
        QVERIFY(window->isVisible());
        QVERIFY(dialogOf(*controller)->running());

        controller->quitAction()->trigger();
        QCOMPARE(asked(), QStringLiteral("A firmware update is running."));
        QVERIFY(test::answerAlert(QuitGuard::kStopAndQuit));
        QVERIFY(controller->quitGuard()->stopping());
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 15000);
        QVERIFY(!FirmwareFlash::anyRunning());

        // What follows the reboot brings the pedal back.
        const QStringList received = pedal.received();
        const qsizetype rebooted = received.lastIndexOf(QStringLiteral("REBOOTC 0 0"));
        QVERIFY(rebooted >= 3);
        QCOMPARE(received.mid(rebooted - 1, 2),
                 (QStringList{QStringLiteral("RECOVERC 0 0"), QStringLiteral("REBOOTC 0 0")}));
        QVERIFY2(received[rebooted - 2].startsWith(QStringLiteral("READ_FLASH 256 ")),
                 qPrintable(received[rebooted - 2]));
        QVERIFY(received.filter(QStringLiteral("WRITE_PAGE")).size() < 60);
    }

    // SIGTERM goes the same way as the close box: straight out without a flash, through the
    // question with one.
    void terminationClosesTheWindowThroughItsGuard() {
        auto controller = test::launchWithoutDiscovery();
        QuitGuard::closeOnTermination(controller->window());
        QVERIFY(controller->window()->isVisible());
        std::raise(SIGTERM);
        QTRY_VERIFY(!controller->window()->isVisible());

        Pedal pedal;
        QVERIFY(pedal.start("FLASHQ4"));
        auto flashing = test::launchWithoutDiscovery();
        QuitGuard::closeOnTermination(flashing->window());
        flashing->deviceIsConnected(pedal.device);
        flashing->maintenance().firmwarePanelEnded(
            1, pedal.file("image.bin", std::string(60 * 256, 'T')));
        QTRY_VERIFY_WITH_TIMEOUT(pedal.received().contains(QStringLiteral("WRITE_PAGE 256 0")),
                                 15000);
        std::raise(SIGTERM);
        QVERIFY(test::answerAlert(QuitGuard::kStopAndQuit));
        QTRY_VERIFY_WITH_TIMEOUT(!flashing->window()->isVisible(), 15000);
        const QStringList received = pedal.received();
        QVERIFY(received.lastIndexOf(QStringLiteral("REBOOTC 0 0")) >
                received.lastIndexOf(QStringLiteral("RECOVERC 0 0")));
        QVERIFY(received.contains(QStringLiteral("RECOVERC 0 0")));
        QCOMPARE(dialogOf(*flashing)->outcome(), FirmwareFlash::Outcome::stopped);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    FirmwareFlashQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FirmwareFlashQtTest.moc"
