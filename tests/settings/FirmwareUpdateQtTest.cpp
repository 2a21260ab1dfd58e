// The firmware part of the settings screens in the real window: the notice follows the
// model's firmware checker, which reads a local update server; the update flashes the
// checker's verified image into the simulated pedal, byte for byte, with its progress; and
// an update that fails, or finds no image, says so and can be tried again.
#include <QAccessible>
#include <QTest>

#include <filesystem>
#include <random>

#include "SettingsHarness.h"
#include "devices/DeviceRegistry.h"
#include "link/FirmwareImage.h"
#include "link/Rails.h"
#include "settings/MIV3Settings.h"
#include "settings/NAX3Settings.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/FirmwareRelease.h"
#include "support/HttpServer.h"
#include "support/TempDir.h"
#include "ui/Animation.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "updates/Stinger.h"
#include "updates/UpdateStartup.h"

using namespace harbrix;

namespace {

Bytes randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes image(size);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}

std::shared_ptr<Stinger> checkerOf(const DeviceRef& device) {
    return std::dynamic_pointer_cast<Stinger>(device->model()->stinger());
}

bool noticeShown(const Settings& screen) {
    return !screen.updateButton()->isHidden() && !screen.firmwareAvailableIcon()->isHidden() &&
           !screen.firmwareSerialDivider2()->isHidden() &&
           screen.firmwareAvailableBlurb()->text() == Settings::kFirmwareAvailable &&
           screen.firmwareVersion2()->color() == ui::rgb(ui::colors::kYellow);
}

bool noticeHidden(const Settings& screen) {
    return screen.updateButton()->isHidden() && screen.firmwareAvailableIcon()->isHidden() &&
           screen.firmwareSerialDivider2()->isHidden() &&
           screen.firmwareAvailableBlurb()->text().isEmpty() &&
           screen.firmwareVersion2()->color() == ui::rgb(ui::colors::kWhite);
}

std::size_t received(const std::string& record, const std::string& command) {
    return test::occurrences(record, command + " ");
}

// Once the pedal has been brought up twice (a restart after its first bring-up) and the
// window has heard it is back.
bool backFromRestart(const std::string& record, const AppDelegate& controller) {
    const DeviceRef device =
        controller.pedals().connected().empty() ? nullptr : controller.pedals().connected()[0];
    return QTest::qWaitFor(
        [&] { return received(record, "SET_BAUD") == 2 && device && !device->restarting(); },
        20000);
}

}  // namespace

class FirmwareUpdateQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"firmware-pedals"};
    test::TempDir cache{"firmware-cache"};
    std::unique_ptr<test::TempDir> folder;
    test::HttpServer server;
    std::unique_ptr<AppDelegate> controller;

    std::string state() const { return folder->file("pedal.json"); }
    std::string record() const { return folder->file("pedal.record"); }

    Settings* plugAndOpen(const std::string& model, const std::string& serial,
                          std::unique_ptr<test::Simulator>& sim,
                          std::vector<std::string> extra = {}) {
        return test::plugAndOpen(*controller, pedals.path(), model, serial, state(), record(), sim,
                                 std::move(extra));
    }

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
        qputenv("HARBRIX_UPDATE_SERVER", QByteArray::fromStdString(server.url()));
        // Every model identified from now on gets a checker of this server, caching here;
        // it checks when its pedal connects.
        StingerFacts facts;
        facts.periodic = false;
        facts.folder = cache.path();
        facts.applicationVersion = [] { return Version::versionWithString("1.0.0"); };
        UpdateStartup::installFirmwareCheckers(AppDelegate::stingerDelegate(), facts);
    }

    void init() {
        folder = std::make_unique<test::TempDir>("firmware-case");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder->file("cache")));
        for (const char* model : {"MIV3", "NAX3"}) server.remove(test::firmwareManifestPath(model));
        controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
    }

    void cleanup() {
        controller.reset();
        DeviceRegistry::resetRegistry();
    }

    void progressShowsWholePercentsAsTheyGrow() {
        auto screen = NAX3Settings::controller();
        screen->view();
        const struct {
            double report;
            const char* shown;
        } reports[] = {{0, "0%"}, {10.2, "10%"}, {10.9, "10%"}, {11.0, "11%"}, {9, "11%"}};
        for (const auto& r : reports) {
            screen->firmwareUpdateProgressed(r.report);
            QCOMPARE(screen->firmwareUpdateProgress()->text(), QString::fromLatin1(r.shown));
        }
        QCOMPARE(screen->firmwareUpdateProgressBar()->value(), 11);
        QCOMPARE(QAccessible::queryAccessibleInterface(screen->firmwareUpdateProgressBar())
                     ->text(QAccessible::Name),
                 QStringLiteral("Firmware Update Progress: 11%"));
    }

    void noticeFollowsTheChecker_data() {
        QTest::addColumn<QString>("model");
        QTest::newRow("MIV3") << QStringLiteral("MIV3");
        QTest::newRow("NAX3") << QStringLiteral("NAX3");
    }
    void noticeFollowsTheChecker() {
        QFETCH(QString, model);
        const std::string name = model.toStdString();
        const QString shot = model.toLower();
        std::unique_ptr<test::Simulator> sim;
        Settings* screen = plugAndOpen(name, "FWN" + name, sim);
        QVERIFY(screen != nullptr);
        const DeviceRef device = controller->currentDevice();
        const auto checker = checkerOf(device);
        QVERIFY(checker != nullptr);
        // Nothing published: no notice, and the firmware labels read as text.
        QTRY_VERIFY(!checker->lastOutcome().empty());
        screen->sync();
        QVERIFY(noticeHidden(*screen));
        QCOMPARE(screen->firmwareVersion1()->text(), QStringLiteral("Firmware Version 42.1"));
        QCOMPARE(screen->serialNumber()->text(), QStringLiteral("Serial FWN") + model);
        QCOMPARE(screen->firmwareVersion2()->text(), QStringLiteral("v42.1"));
        QCOMPARE(screen->serialNumber()->x(),
                 screen->firmwareSerialDivider1()->geometry().right() + 9);
        if (model == QLatin1String("NAX3"))
            QVERIFY(test::saveShot(controller->window(), QStringLiteral("nax3-settings")));

        // A newer release: the checker finds and caches it, and the screen offers it.
        test::publishFirmware(server, name, "99.0.0", randomImage(3000, 1),
                              shot.toStdString() + ".bin");
        checker->refresh();
        QTRY_VERIFY_WITH_TIMEOUT(noticeShown(*screen), 10000);
        QVERIFY(screen->updateButton()->isEnabled());
        QCOMPARE(
            QAccessible::queryAccessibleInterface(screen->updateButton())->text(QAccessible::Name),
            QStringLiteral("Update Firmware"));
        QCOMPARE(screen->firmwareAvailableIcon()->x(),
                 screen->firmwareVersion2()->geometry().right() + 9);
        QVERIFY(test::saveShot(controller->window(), shot + "-new-firmware"));

        // A checker that still says so once the pedal runs the release offers nothing.
        test::publishFirmware(server, name, "42.1.0", randomImage(3000, 2),
                              shot.toStdString() + "-same.bin");
        StingerFacts facts;
        facts.periodic = false;
        facts.folder = cache.path();
        facts.currentVersion = [] { return Version::versionWithString("1.0.0"); };
        facts.applicationVersion = facts.currentVersion;
        const auto stale = Stinger::firmwareStinger(server.url() + test::firmwareManifestPath(name),
                                                    name, {}, facts);
        QVERIFY(stale->coreCheck());
        device->model()->setStinger(stale);
        screen->sync();
        QVERIFY(noticeHidden(*screen));
    }

    void firmwareUpdateReachesThePedalsFlash_data() { noticeFollowsTheChecker_data(); }
    void firmwareUpdateReachesThePedalsFlash() {
        QFETCH(QString, model);
        const std::string name = model.toStdString();
        const QString shot = model.toLower();
        const std::string file = shot.toStdString() + "-update.bin";
        const Bytes image = randomImage(96 * 1024 + 77, 3);
        test::publishFirmware(server, name, "99.0.0", image, file);
        std::unique_ptr<test::Simulator> sim;
        // Slow enough replies that the flash can be seen on its way.
        Settings* screen = plugAndOpen(name, "FWU" + name, sim, {"--latency", "1"});
        QVERIFY(screen != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(noticeShown(*screen), 10000);
        QCOMPARE(test::readText(cache.file(file)), std::string(image.begin(), image.end()));
        // The MIV3's settings take no clicks while its flash is being written.
        auto* miv = dynamic_cast<MIV3Settings*>(screen);

        QTest::mouseClick(screen->updateButton(), Qt::LeftButton);
        QVERIFY(screen->flashing());
        QVERIFY(!screen->updateButton()->isEnabled());
        QVERIFY(!miv || !miv->midiChannelField()->isEnabled());
        QCOMPARE(screen->firmwareAvailableBlurb()->text(),
                 QString::fromLatin1(Settings::kFirmwareUpdating));
        QTRY_VERIFY_WITH_TIMEOUT(screen->firmwareUpdateProgressBar()->value() >= 20, 20000);
        QVERIFY(screen->flashing());
        QVERIFY(test::saveShot(controller->window(), shot + "-flashing"));

        QTRY_VERIFY_WITH_TIMEOUT(!screen->flashing(), 60000);
        QCOMPARE(screen->firmwareUpdateProgress()->text(), QStringLiteral("100%"));
        QCOMPARE(screen->firmwareAvailableBlurb()->text(),
                 QString::fromLatin1(Settings::kFirmwareUpdated));
        QVERIFY(!screen->updateButton()->isEnabled());
        QVERIFY(!screen->notice()->isPosted());
        // The pedal restarts: its settings stay dimmed until it comes back with a new screen.
        QVERIFY(!miv || !miv->midiChannelField()->isEnabled());
        QVERIFY(test::saveShot(controller->window(), shot + "-flashed"));
        const auto chip = bytesOfFile(state() + ".flash");
        QVERIFY(chip.has_value());
        QVERIFY(chip->size() >= image.size());
        QVERIFY(std::equal(image.begin(), image.end(), chip->begin()));

        // Back at its fast speed, the screen takes clicks again and they reach the pedal.
        QVERIFY(backFromRestart(record(), *controller));
        QTRY_VERIFY(screen->view()->isEnabled() && !screen->flashing());
        QCOMPARE(controller->screens().settings().get(), screen);
        if (miv) {
            QVERIFY(miv->midiChannelField()->isEnabled());
            QTest::mouseClick(miv->midiChannelField(), Qt::LeftButton);
            QTRY_COMPARE(miv->pendingWrites(), 0);
            QVERIFY(!miv->notice()->isPosted());
        }
    }

    void aFailedUpdateSaysSoAndCanBeTriedAgain() {
        const Bytes image = randomImage(8 * 1024, 4);
        test::publishFirmware(server, "MIV3", "99.0.0", image, "miv3-retry.bin");
        std::unique_ptr<test::Simulator> sim;
        // The third page's flash read-back is damaged.
        Settings* screen = plugAndOpen("MIV3", "FWF01", sim, {"--corrupt", "READ_FLASH=3"});
        QVERIFY(screen != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(noticeShown(*screen), 10000);

        // The verified image has gone from the cache: nothing reaches the pedal, the screen
        // says why, and the checker fetches the image again.
        std::filesystem::remove(cache.file("miv3-retry.bin"));
        QTest::mouseClick(screen->updateButton(), Qt::LeftButton);
        QTRY_VERIFY(!screen->flashing());
        QCOMPARE(screen->notice()->notice(), QString::fromLatin1(Settings::kNoFirmwareImage));
        QVERIFY(screen->updateButton()->isEnabled());
        QCOMPARE(received(record(), "SUSPENDC"), std::size_t(0));
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(cache.file("miv3-retry.bin")), 10000);

        QTest::mouseClick(screen->updateButton(), Qt::LeftButton);
        QVERIFY(!screen->notice()->isPosted());
        QTRY_VERIFY_WITH_TIMEOUT(!screen->flashing(), 20000);
        // Told to recover, the pedal restarted, and is back.
        QVERIFY(backFromRestart(record(), *controller));
        QTRY_VERIFY(screen->view()->isEnabled());
        QCOMPARE(screen->notice()->notice(), QString::fromLatin1(Settings::kFlashFailed));
        QVERIFY(screen->updateButton()->isEnabled());
        QVERIFY(noticeShown(*screen));
        QVERIFY(dynamic_cast<MIV3Settings*>(screen)->midiChannelField()->isEnabled());
        QCOMPARE(received(record(), "RECOVERC"), std::size_t(1));
        QVERIFY(test::saveShot(controller->window(), QStringLiteral("miv3-flash-failed")));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    FirmwareUpdateQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FirmwareUpdateQtTest.moc"
