// The two windows beside the main one: the debug history stepping through a pedal's
// recorded exchanges (skipping empty preset reads or not), and the "Software Update"
// window with its bulleted release notes that follow the light or dark appearance.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <thread>

#include "ShellHarness.h"
#include "devices/PresetStore.h"
#include "link/ByteText.h"
#include "link/Checksum.h"
#include "shell/AppearanceWatcher.h"
#include "shell/History.h"
#include "shell/QtMainRail.h"
#include "shell/ReleaseNotes.h"
#include "shell/StingerWindow.h"
#include "shell/UpdatePresenter.h"
#include "support/DeviceEvents.h"
#include "support/HttpServer.h"
#include "support/ShownAlerts.h"
#include "support/TempDir.h"
#include "ui/Alert.h"
#include "updates/ApplicationInfo.h"
#include "updates/Torque.h"

using namespace harbrix;

class WindowsQtTest : public QObject {
    Q_OBJECT
    test::ScriptedPedals pedals;
    test::RecordingDelegate delegate;

  private slots:
    void historyStepsThroughTheRecordedExchanges() {
        // Entries 0..4: a preset, two empty slots, a preset, an empty slot.
        const DeviceRef device = pedals.make("MIV3", "H1", [](test::ScriptedPedal& pedal) {
            pedal.presets[0] = test::presetBytes("First");
            pedal.presets[3] = test::presetBytes("Fourth");
        });
        QVERIFY(device);
        device->line().history().enable();
        for (std::size_t slot = 0; slot < 5; ++slot) presets(device).read(slot);
        QCOMPARE(device->line().history().entries().size(), std::size_t(5));
        QORUARTDevice::setDelegate(&delegate);
        delegate.setCurrentDevice(device);

        const auto history = History::window();
        // Loaded with empty presets skipped: the first significant entry after 0.
        QCOMPARE(history->index(), std::size_t(3));
        QCOMPARE(history->commandText(), QStringLiteral("READ_PRESET"));
        QCOMPARE(history->indexText(), QStringLiteral("3"));
        QCOMPARE(history->requestText(), QString::fromStdString(prettyDescription(
                                             device->line().history().entries()[3].request)));
        for (int i = 0; i < 4; ++i) QVERIFY(history->button(i)->isEnabled());

        const struct {
            void (History::*step)();
            std::size_t index;
        } skipping[] = {{&History::end, 3},     {&History::beginning, 0}, {&History::forward, 3},
                        {&History::forward, 3}, {&History::backward, 0},  {&History::backward, 0}};
        for (const auto& s : skipping) {
            (history.get()->*s.step)();
            QCOMPARE(history->index(), s.index);
        }
        history->toggleIgnoreEmptyPresets();
        QVERIFY(!history->ignoreEmptyPresets());
        const struct {
            void (History::*step)();
            std::size_t index;
        } every[] = {{&History::forward, 1}, {&History::forward, 2},  {&History::end, 4},
                     {&History::forward, 4}, {&History::backward, 3}, {&History::beginning, 0},
                     {&History::backward, 0}};
        for (const auto& s : every) {
            (history.get()->*s.step)();
            QCOMPARE(history->index(), s.index);
        }
        history->toggleIgnoreEmptyPresets();
        QCOMPARE(history->index(), std::size_t(3));

        // Without a current pedal nothing moves.
        delegate.setCurrentDevice(nullptr);
        history->beginning();
        QCOMPARE(history->index(), std::size_t(3));
        QORUARTDevice::setDelegate(nullptr);
    }

    void releaseNotesAreBulletsInTheAppearancesColour() {
        QWidget parent;
        ReleaseNotes* notes = ReleaseNotes::releaseNotesWithFont(QFont(QStringLiteral("Sans")),
                                                                 QRect(0, 0, 300, 200), &parent);
        QVERIFY(notes != nullptr);
        QVERIFY(ReleaseNotes::releaseNotesWithFont(QFont(QString()), QRect(), &parent) == nullptr);
        const QString bullet = QString::fromUtf8(ReleaseNotes::kBullet);
        notes->replaceLines({});
        QCOMPARE(notes->toPlainText(), bullet);
        notes->replaceLines({QStringLiteral("One"), QStringLiteral("Two")});
        QCOMPARE(notes->toPlainText(), bullet + "One\n" + bullet + "Two");

        emit UIMode::watcher()->UIModeChanged({{QStringLiteral("dark"), true}});
        QCOMPARE(notes->textColor(), QColor(Qt::white));
        emit UIMode::watcher()->UIModeChanged({{QStringLiteral("dark"), false}});
        QCOMPARE(notes->textColor(), QColor(Qt::black));
        QCOMPARE(notes->toPlainText(), bullet + "One\n" + bullet + "Two");

        // From another thread the text is replaced on the main thread before the call returns.
        std::thread other([notes] { notes->replaceLines({QStringLiteral("Three")}); });
        while (notes->lines() != QStringList{QStringLiteral("Three")})
            QCoreApplication::processEvents();
        other.join();
        QCOMPARE(notes->toPlainText(), bullet + "Three");
    }

    void updateWindowShowsTheRelease() {
        std::unique_ptr<StingerWindow> window(StingerWindow::window());
        QCOMPARE(window->size(), QSize(StingerWindow::kWidth, StingerWindow::kHeight));
        QCOMPARE(window->windowTitle(), QStringLiteral("Software Update"));
        // Frames measured from the bottom-left corner of the content.
        QCOMPARE(window->installButton()->geometry(), QRect(451, 370 - 13 - 32, 155, 32));
        QCOMPARE(window->cancelButton()->geometry(), QRect(371, 370 - 13 - 32, 80, 32));
        QVERIFY(window->installButton()->isDefault());
        QVERIFY(window->subhead()->text().contains(QStringLiteral("23.45.67")));

        UpdateEntry nothing;
        window->showForUpdate(nothing);
        QVERIFY(!window->isVisible());
        UpdateEntry entry;
        entry.empty = false;
        entry.version = "2.0";
        window->showForUpdate(entry);
        QVERIFY(window->isVisible());
        QVERIFY(window->subhead()->text().contains(
            QStringLiteral(" 2.0 is now available\u2014you have ")));
        QCOMPARE(window->notes()->lines(), QStringList{});
        // Without an update to install the buttons stay as they are.
        window->install();
        QVERIFY(window->installButton()->isEnabled());
        window->hide();
        QVERIFY(!window->isVisible());
    }

    // "Install and Relaunch" with a cached release that cannot be installed: the window says
    // so, its buttons come back, and the application is not relaunched.
    void aFailedInstallationIsToldAndNothingRelaunches() {
        bindMainRailToQt();
        test::TempDir folder("install-window");
        const std::string payload = "not a disk image";
        const std::string plain = "[{\"name\":\"Harbrix-9.0.tar.gz\",\"hash\":\"" +
                                  MD5String(Bytes(payload.begin(), payload.end())) +
                                  "\",\"size\":" + std::to_string(payload.size()) +
                                  ",\"version\":\"9.0\",\"baseline\":\"1.0\"}]";
        const auto cipher = Torque::up(Bytes(plain.begin(), plain.end()));
        test::HttpServer server;
        qputenv("HARBRIX_UPDATE_SERVER", QByteArray::fromStdString(server.url()));
        server.put("/software/_.manifest", std::string(cipher->begin(), cipher->end()));
        server.put("/software/Harbrix-9.0.tar.gz", payload);
        StingerFacts facts;
        facts.currentVersion = [] { return Version::versionWithString("1.0.0"); };
        facts.systemVersion = [] { return Version::versionWithString("99"); };
        facts.folder = folder.file("cache");
        facts.periodic = false;
        const auto checker =
            Stinger::softwareStinger(server.url() + "/software/_.manifest", {}, facts);
        QVERIFY(checker->coreCheck());
        checker->refresh();
        QTRY_VERIFY(checker->updateAvailable());
        // A bundle this user owns, so the window offers to replace it.
        QVERIFY(QDir().mkpath(QString::fromStdString(folder.file("Harbrix.app/Contents"))));
        checker->setInstallBundle(folder.file("Harbrix.app"));
        ApplicationInfo::setStinger(checker);
        int relaunches = 0;
        ApplicationInfo::setBounceHandler([&relaunches] { ++relaunches; });

        std::unique_ptr<StingerWindow> window(StingerWindow::window());
        window->showForUpdate(*checker->latestEntry());
        window->install();
        QVERIFY(!window->installButton()->isEnabled());
        QTRY_VERIFY(window->installButton()->isEnabled());
        QVERIFY(window->cancelButton()->isEnabled());
        QVERIFY2(window->status()->text().startsWith(
                     QStringLiteral("The update could not be installed.")),
                 qPrintable(window->status()->text()));
        QVERIFY(window->isVisible());
        QCOMPARE(relaunches, 0);
        ApplicationInfo::setBounceHandler(nullptr);
        ApplicationInfo::setStinger(nullptr);
        qunsetenv("HARBRIX_UPDATE_SERVER");
    }

    // A package install: the bundle is not the user's to replace, so the window tells who
    // installs the release and offers only to close.
    void updateWindowLeavesAPackagedApplicationToThePackageManager() {
        test::TempDir dir("packaged");
        const QString bundle = QString::fromStdString(dir.file("Harbrix.app"));
        QVERIFY(QDir().mkpath(bundle + "/Contents"));
        StingerFacts facts;
        facts.folder = dir.file("cache");
        facts.periodic = false;
        const auto checker = Stinger::softwareStinger("http://127.0.0.1:9/_.manifest", {}, facts);
        QVERIFY(checker);
        checker->setInstallBundle(bundle.toStdString());
        ApplicationInfo::setStinger(checker);
        UpdatePresenter presenter(nullptr);
        UpdateEntry entry;
        entry.empty = false;
        entry.version = "2.0";
        entry.changes = {"Presets can be renamed on the Transfers screen."};

        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(bundle, readOnly));
        presenter.showForUpdate(*checker, entry);
        StingerWindow* window = presenter.window();
        QVERIFY(window->isVisible());
        QVERIFY(window->subhead()->text().contains(QStringLiteral(" 2.0 is now available")));
        QVERIFY(window->subhead()->text().endsWith(
            QStringLiteral(". Your system's package manager installs it.")));
        QVERIFY(window->subhead()->geometry().right() < StingerWindow::kWidth);
        QVERIFY(!window->installButton()->isVisible());
        QCOMPARE(window->cancelButton()->text(), QStringLiteral("OK"));
        QCOMPARE(window->cancelButton()->geometry().right(),
                 window->installButton()->geometry().right());
        QVERIFY(window->cancelButton()->isDefault());
        QDir().mkpath(QStringLiteral(HARBRIX_TEST_BIN_DIR "/../screenshots/shell"));
        window->grab().save(QStringLiteral(HARBRIX_TEST_BIN_DIR
                                           "/../screenshots/shell/software-update-packaged.png"));
        window->install();  // nothing to install here: the buttons stay as they are
        QVERIFY(window->cancelButton()->isEnabled());
        window->hide();

        // The same window for a bundle the user owns offers the installation again.
        QVERIFY(QFile::setPermissions(bundle, readOnly | QFile::WriteOwner));
        presenter.showForUpdate(*checker, entry);
        QVERIFY(window->subhead()->text().endsWith(
            QStringLiteral("Would you like to install it now?")));
        QVERIFY(window->installButton()->isVisible());
        QVERIFY(window->installButton()->isDefault());
        QCOMPARE(window->cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(window->cancelButton()->geometry(), QRect(371, 370 - 13 - 32, 80, 32));
        window->hide();
        ApplicationInfo::setStinger(nullptr);
    }

    void upToDateIsAnAlert() {
        UpdatePresenter presenter(nullptr);
        presenter.showUpToDate("You're up to date!", "You're running the most recent version.");
        const ui::Alert* alert = test::waitForAlert();
        QVERIFY(alert != nullptr);
        QCOMPARE(alert->headline() + "|" + alert->finePrint(),
                 QStringLiteral("You're up to date!|You're running the most recent version."));
        QVERIFY(test::answerAlert(ui::Alert::kOK));
    }
};

QTEST_MAIN(WindowsQtTest)
#include "WindowsQtTest.moc"
