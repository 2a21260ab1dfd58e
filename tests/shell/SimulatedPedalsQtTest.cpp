// The application controller against simulated pedals found by the real discovery: the
// first pedal's editor follows its own selected slot once the start-up reads arrive, a
// second pedal joins the chooser, unplugging falls back and finally empties the window.
// Along the way every screen and window is saved into build/screenshots/shell/ to be
// looked at.
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include <fstream>

#include "ShellHarness.h"
#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "shell/Application.h"
#include "shell/History.h"
#include "shell/QtMainRail.h"
#include "shell/StingerWindow.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/WindowTests.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
#include "ui/ImageView.h"

using namespace harbrix;
using test::shown;
using test::shownClass;

namespace {

void save(QWidget* widget, const QString& name) {
    QVERIFY(test::saveShot(widget, QStringLiteral("shell"), name));
}

// The window with a popup menu drawn where it hangs.
void saveWithPopup(QWidget* window, QMenu* popup, const QString& name) {
    QImage image = window->grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(window->mapFromGlobal(popup->pos()), popup->grab());
    painter.end();
    QVERIFY(test::saveShot(image, QStringLiteral("shell"), name));
}

}  // namespace

class SimulatedPedalsQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"shell-pedals"};
    // A fresh cache: a simulated pedal starts slow each time, but its terminal's file number
    // can repeat, and a known file number tells the link the pedal is fast already.
    test::TempDir cache{"shell-cache"};

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        // At the pace of a real pedal's replies, as `make run` shows it.
        test::discoverSimulatedPedalsIn(pedals.path(), Framing::silence);
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path()));
    }

    void cleanup() { DeviceRegistry::resetRegistry(); }

    void pedalsComeAndGo() {
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        save(controller->window(), QStringLiteral("nothing"));

        auto miv = std::make_unique<test::Simulator>(std::vector<std::string>{
            "--dir", pedals.path(), "--model", "MIV3", "--serial", "SHELLM01"});
        QVERIFY2(miv->running(), miv->error().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), QStringLiteral("MIV3Editor"), 15000);
        const DeviceRef device = controller->currentDevice();
        QCOMPARE(device->serial(), std::string("SHELLM01"));

        // The start-up reads reach the editor, which then follows the pedal's slot once.
        auto* editor = dynamic_cast<Editor*>(controller->screens().editor().get());
        QTRY_VERIFY_WITH_TIMEOUT(!presets(device).refreshing(), 15000);
        QTRY_VERIFY(controller->pedals().initialized());
        std::vector<std::size_t> occupied;
        for (std::size_t slot = 0; slot < 100; ++slot)
            if (presets(device).cached(slot) && !presets(device).cached(slot)->empty())
                occupied.push_back(slot);
        QVERIFY(!occupied.empty());
        for (std::size_t slot : occupied) {
            const QString name =
                QString::fromStdString(presets(device).cached(slot)->displayName());
            QCOMPARE(
                editor->table()->row(slot)->accessibleName(),
                QStringLiteral("Preset %1, %2").arg(slot + 1, 2, 10, QLatin1Char('0')).arg(name));
        }
        std::optional<std::uint8_t> selected;
        railSync(device->queue(), [&] { selected = presets(device).selected(); });
        QVERIFY(selected.has_value());
        QCOMPARE(editor->selectedRow(), std::optional<std::size_t>(*selected));
        save(controller->window(), QStringLiteral("miv3-editor"));
        controller->screens().switchToTransfers();
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("Transfers"));
        save(controller->window(), QStringLiteral("miv3-transfers"));
        controller->screens().switchToSettings();
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Settings"));
        save(controller->window(), QStringLiteral("miv3-settings"));
        controller->screens().switchToEditor();
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));

        controller->header().openMenu();
        controller->header().menu()->itemEntered(controller->header().menu()->software());
        save(controller->window(), QStringLiteral("menu-open"));
        controller->header().closeMenu();

        auto nax = std::make_unique<test::Simulator>(std::vector<std::string>{
            "--dir", pedals.path(), "--model", "NAX3", "--serial", "SHELLN01"});
        QVERIFY2(nax->running(), nax->error().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(2), 15000);
        QCOMPARE(controller->currentDevice(), device);
        controller->header().openSelector();
        QCOMPARE(controller->header().selector()->devices().size(), std::size_t(2));
        QCOMPARE(controller->header().selector()->current(), std::size_t(0));
        save(controller->window(), QStringLiteral("selector-two-pedals"));
        controller->header().closeSelector();

        // Unplugged: the NAX3 is left, and shows its settings.
        miv->kill();
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(1), 15000);
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("NAX3Settings"));
        save(controller->window(), QStringLiteral("nax3-settings"));
        nax->kill();
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), QStringLiteral("Nothing"), 15000);
        QVERIFY(controller->header().emptyPedalboard()->isVisible());
    }

    void debugWindows() {
        test::TempDir home("shell-home");
        QDir(QString::fromStdString(home.path())).mkpath(QStringLiteral("Desktop"));
        std::ofstream(home.file("Desktop/Harbrix.debug")) << "";
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(home.path()));
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        test::Simulator miv({"--dir", pedals.path(), "--model", "MIV3", "--serial", "SHELLM02"});
        QVERIFY2(miv.running(), miv.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, 15000);
        const DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!presets(device).refreshing(), 15000);
        QTRY_VERIFY(controller->pedals().initialized());
        qputenv("HOME", savedHome);

        QMenu* maintenance = controller->maintenance().debugMenuItem();
        QVERIFY(maintenance != nullptr);
        QMenuBar* bar = controller->window()->menuBar();
        maintenance->popup(
            bar->mapToGlobal(bar->actionGeometry(maintenance->menuAction()).bottomLeft()));
        QTRY_VERIFY(maintenance->isVisible());
        saveWithPopup(controller->window(), maintenance, QStringLiteral("maintenance-menu"));
        maintenance->hide();

        controller->maintenance().openIOHistory();
        History* history = controller->maintenance().history();
        QTRY_VERIFY(history->isVisible());
        QVERIFY(!history->commandText().isEmpty());
        save(history, QStringLiteral("history"));
    }

    void softwareUpdateWindow() {
        StingerWindow* window = StingerWindow::window();
        UpdateEntry entry;
        entry.empty = false;
        entry.version = "1.1.0";
        entry.changes = {"Presets can be renamed on the Transfers screen.",
                         "The editor follows the pedal's selected preset after it connects, "
                         "even when the pedal was switched on with a preset on deck.",
                         "Firmware updates resume after a lost connection."};
        window->showForUpdate(entry);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        save(window, QStringLiteral("software-update"));
        delete window;
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    SimulatedPedalsQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SimulatedPedalsQtTest.moc"
