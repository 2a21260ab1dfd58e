// Plugging, unplugging and choosing simulated pedals with the real controller, real
// discovery and the animations running as the user sees them. After every unplug and every
// choice the event loop runs until no animation is left, so the screens that were let go are
// really deleted, and the window must still show the right screen. Screens used to be
// kept alive by their own animations and took the application down as those were deleted.
#include <QApplication>
#include <QDir>
#include <QPropertyAnimation>
#include <QTest>

#include <unistd.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "ShellHarness.h"
#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "editor/EditorHarness.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/Selector.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/WindowTests.h"
#include "ui/Fonts.h"
#include "ui/ImageView.h"

using namespace harbrix;
using test::shownClass;

namespace {

constexpr int kConnectMs = 20000;

std::unique_ptr<test::Simulator> plug(const std::string& folder, const std::string& model,
                                      const std::string& serial,
                                      std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments{"--dir", folder, "--model", model, "--serial", serial};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return std::make_unique<test::Simulator>(arguments);
}

DeviceRef connectedWithSerial(const AppDelegate& controller, const std::string& serial) {
    for (const DeviceRef& device : controller.pedals().connected())
        if (device->serial() == serial) return device;
    return nullptr;
}

// What a descriptor of this process is open on; empty once it is closed.
std::string openedFile(int fd) {
    char target[PATH_MAX];
    const ssize_t n =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::string terminalOf(const test::Simulator& pedal) {
    char target[PATH_MAX];
    return ::realpath(pedal.path().c_str(), target) != nullptr ? std::string(target)
                                                               : std::string();
}

// The window at rest: the pedals' queues and the main rail have run what was posted to them,
// no fade or slide runs anywhere, and the objects the animations let go are deleted.
bool settle(const AppDelegate& controller) {
    const auto still = [] {
        for (QWidget* widget : QApplication::allWidgets())
            if (widget->findChild<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly))
                return false;
        return true;
    };
    for (const DeviceRef& device : controller.pedals().connected())
        if (!test::queueAndMainRailPassed(device->queue())) return false;
    if (!test::mainRailPassed() || !QTest::qWaitFor(still, kConnectMs)) return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

// Clicks the chooser's button of the pedal with that serial.
bool choose(AppDelegate& controller, const std::string& serial) {
    controller.header().openSelector();
    const auto& entries = controller.header().selector()->devices();
    const auto buttons = controller.header().selector()->buttons();
    for (std::size_t i = 0; i < entries.size() && i < buttons.size(); ++i) {
        if (entries[i].serial.toStdString() != serial) continue;
        QTest::mouseClick(buttons[i], Qt::LeftButton);
        return true;
    }
    controller.header().closeSelector();
    return false;
}

}  // namespace

class PlugAndChooseQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"plug-pedals"};
    std::unique_ptr<test::TempDir> cache;

  private slots:
    void initTestCase() {
        ui::fonts::install();
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
    }

    // Every case meets its pedals for the first time.
    void init() {
        cache = std::make_unique<test::TempDir>("plug-cache");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache->path()));
    }

    void cleanup() {
        DeviceRegistry::resetRegistry();
        QTest::qWait(50);
    }

    // One pedal, unplugged while its slots are still being read, and again long after.
    void unplugOnlyPedal_data() {
        QTest::addColumn<bool>("duringSynchronisation");
        QTest::newRow("during the initial synchronisation") << true;
        QTest::newRow("long after it") << false;
    }
    void unplugOnlyPedal() {
        QFETCH(bool, duringSynchronisation);
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        // Slow replies keep the synchronisation going for seconds.
        auto miv = plug(pedals.path(), "MIV3", "PLUGM01",
                        duringSynchronisation ? std::vector<std::string>{"--latency", "60"}
                                              : std::vector<std::string>{});
        QVERIFY2(miv->running(), miv->error().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), QStringLiteral("MIV3Editor"),
                                  kConnectMs);
        DeviceRef device = controller->currentDevice();
        QVERIFY(device);
        const std::weak_ptr<QORUARTDevice> released = device;
        const int descriptor = device->line().file();
        const std::string terminal = terminalOf(*miv);
        QCOMPARE(openedFile(descriptor), terminal);
        if (duringSynchronisation) {
            QVERIFY(harbrix::presets(device).refreshing());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!harbrix::presets(device).refreshing(), kConnectMs);
            controller->screens().switchToTransfers();
            QVERIFY(settle(*controller));
        }
        device.reset();
        miv->kill();
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().connected().empty(), kConnectMs);
        QVERIFY(settle(*controller));
        QCOMPARE(shownClass(*controller), QStringLiteral("Nothing"));
        QVERIFY(controller->screens().currentController()->view()->isVisible());
        QVERIFY(controller->header().emptyPedalboard()->isVisible());
        // Nothing keeps the pedal that went: its object is gone and its port closed.
        QTRY_VERIFY(released.expired());
        QVERIFY(openedFile(descriptor) != terminal);
    }

    // The cable pulled and put back on the same terminal: the pedal restarted at its boot
    // speed behind a node whose number the cache remembers, and it comes back by itself.
    void replugBehindTheSameNode() {
        auto controller = test::launchWithDiscovery();
        auto miv = plug(pedals.path(), "MIV3", "PLUGM05", {"--replug-ms", "3000"});
        QVERIFY2(miv->running(), miv->error().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), QStringLiteral("MIV3Editor"),
                                  kConnectMs);
        std::weak_ptr<QORUARTDevice> first = controller->currentDevice();
        QVERIFY(miv->replug());
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().connected().empty(), kConnectMs);
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(1),
                                  kConnectMs);
        QVERIFY(first.expired());
        QVERIFY(controller->currentDevice()->model());
        QTRY_COMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
    }

    // A pedal that does not answer is not shown as connected; the empty window says why,
    // and the pedal joins as soon as it answers.
    void pedalThatCannotBeOpened() {
        auto controller = test::launchWithDiscovery();
        auto miv = plug(pedals.path(), "MIV3", "PLUGM06", {"--fail-after", "0"});
        QVERIFY2(miv->running(), miv->error().c_str());
        auto* empty = dynamic_cast<Nothing*>(controller->screens().nothing().get());
        QVERIFY(empty != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(
            empty->openFailures()->text(),
            QStringLiteral("A MIV3 was found but could not be opened: it does not answer."),
            kConnectMs);
        QVERIFY(empty->openFailures()->isVisible());
        QVERIFY(controller->pedals().connected().empty());
        QCOMPARE(shownClass(*controller), QStringLiteral("Nothing"));

        QVERIFY(miv->heal());
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), QStringLiteral("MIV3Editor"),
                                  kConnectMs);
        QVERIFY(empty->openFailures()->isHidden());
    }

    // Two pedals; whichever is current goes, the other one stays or takes over.
    void unplugOneOfTwo_data() {
        QTest::addColumn<bool>("unplugCurrent");
        QTest::newRow("the current one") << true;
        QTest::newRow("the other one") << false;
    }
    void unplugOneOfTwo() {
        QFETCH(bool, unplugCurrent);
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        auto first = plug(pedals.path(), "MIV3", "PLUGM02");
        QVERIFY2(first->running(), first->error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(connectedWithSerial(*controller, "PLUGM02") != nullptr,
                                 kConnectMs);
        auto second = plug(pedals.path(), "MIV3", "PLUGM03");
        QVERIFY2(second->running(), second->error().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(2),
                                  kConnectMs);
        QCOMPARE(controller->currentDevice()->serial(), std::string("PLUGM02"));
        QVERIFY(settle(*controller));

        (unplugCurrent ? first : second)->kill();
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(1), kConnectMs);
        QVERIFY(settle(*controller));
        QCOMPARE(controller->currentDevice()->serial(),
                 std::string("PLUGM0") + (unplugCurrent ? "3" : "2"));
        QCOMPARE(shownClass(*controller), QStringLiteral("MIV3Editor"));
        QVERIFY(controller->screens().currentController()->view()->isVisible());

        (unplugCurrent ? second : first)->kill();
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().connected().empty(), kConnectMs);
        QVERIFY(settle(*controller));
        QCOMPARE(shownClass(*controller), QStringLiteral("Nothing"));
    }

    // Choosing a pedal in the chooser, the current one or the other, from every screen.
    // Two pedals of one model: the chooser tells them apart by their serials, and the editor
    // of each shows and follows that pedal's own selection, also when it is chosen later. A
    // pedal plugged in later does not send the first one's editor back to its selection.
    void twoPedalsOfOneModel() {
        test::TempDir states{"plug-states"};
        std::map<std::size_t, Bytes> presets;
        for (std::size_t slot = 0; slot < 4; ++slot)
            presets[slot] = test::presetNamed("Preset " + std::to_string(slot + 1));
        test::writeState(states.file("tb1.json"), presets, 1);
        test::writeState(states.file("tb2.json"), presets, 2);
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        const auto editor = [&] {
            return dynamic_cast<Editor*>(controller->screens().editor().get());
        };
        auto first = plug(pedals.path(), "MIV3", "TB1", {"--state", states.file("tb1.json")});
        QVERIFY2(first->running(), first->error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(editor() && editor()->selectedRow() == std::size_t(1), kConnectMs);
        QTest::mouseClick(editor()->table()->row(3), Qt::LeftButton);
        QCOMPARE(editor()->selectedRow(), std::optional<std::size_t>(3));

        auto second = plug(pedals.path(), "MIV3", "TB2", {"--state", states.file("tb2.json")});
        QVERIFY2(second->running(), second->error().c_str());
        const DeviceRef tb2 = [&] {
            DeviceRef found;
            (void)QTest::qWaitFor(
                [&] { return (found = connectedWithSerial(*controller, "TB2")) != nullptr; },
                kConnectMs);
            return found;
        }();
        QVERIFY(tb2);
        QTRY_VERIFY_WITH_TIMEOUT(!harbrix::presets(tb2).refreshing(), kConnectMs);
        // The first pedal announces its selected slot again; its editor stays where it was.
        const DeviceRef tb1 = controller->currentDevice();
        railSync(tb1->queue(),
                 [&] { QVERIFY(harbrix::presets(tb1).write(harbrix::presets(tb1).cached(1), 1)); });
        bool announced = false;  // the main rail runs the announcement before this
        rail(Rails::main(), [&announced] { announced = true; });
        QTRY_VERIFY(announced);
        QCOMPARE(editor()->selectedRow(), std::optional<std::size_t>(3));

        controller->header().openSelector();
        QStringList names;
        for (QAbstractButton* button : controller->header().selector()->buttons())
            names << button->accessibleName();
        QCOMPARE(names, (QStringList{QStringLiteral("MIV III, serial TB1"),
                                     QStringLiteral("MIV III, serial TB2")}));
        QTRY_VERIFY(controller->header().selector()->isVisible() &&
                    controller->header().selector()->graphicsEffect() == nullptr);
        QVERIFY(test::saveShot(controller->window(), QStringLiteral("shell"),
                               QStringLiteral("selector-one-model-twice")));
        controller->header().closeSelector();
        QVERIFY(choose(*controller, "TB2"));
        QTRY_VERIFY(editor() && editor()->device() == tb2);
        QTRY_COMPARE(editor()->selectedRow(), std::optional<std::size_t>(2));
        QVERIFY(editor()->saveAsButton()->isEnabled());
        // Back on the first pedal, its new editor follows the slot the user chose there.
        QVERIFY(choose(*controller, "TB1"));
        QTRY_VERIFY(editor() && editor()->device() == tb1);
        QTRY_COMPARE(editor()->selectedRow(), std::optional<std::size_t>(3));
    }

    void choosePedal_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("chooseCurrent");
        for (const char* screen : {"editor", "transfers", "settings"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, the current pedal").arg(screen)))
                << QString::fromLatin1(screen) << true;
            QTest::newRow(qPrintable(QStringLiteral("%1, the other pedal").arg(screen)))
                << QString::fromLatin1(screen) << false;
        }
    }
    void choosePedal() {
        QFETCH(QString, screen);
        QFETCH(bool, chooseCurrent);
        auto controller = test::launchWithDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        auto miv = plug(pedals.path(), "MIV3", "PLUGM04");
        auto nax = plug(pedals.path(), "NAX3", "PLUGN01");
        QVERIFY2(miv->running() && nax->running(), (miv->error() + nax->error()).c_str());
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(2),
                                  kConnectMs);
        // The first to connect is current; make it the MIV3 whichever won the race.
        if (controller->currentDevice()->serial() != "PLUGM04") {
            QVERIFY(choose(*controller, "PLUGM04"));
            QTRY_COMPARE(controller->currentDevice()->serial(), std::string("PLUGM04"));
        }
        QVERIFY(settle(*controller));
        if (screen == QLatin1String("transfers")) controller->screens().switchToTransfers();
        if (screen == QLatin1String("settings")) controller->screens().switchToSettings();
        const QString shown = screen == QLatin1String("transfers")  ? QStringLiteral("Transfers")
                              : screen == QLatin1String("settings") ? QStringLiteral("MIV3Settings")
                                                                    : QStringLiteral("MIV3Editor");
        QTRY_COMPARE_WITH_TIMEOUT(shownClass(*controller), shown, kConnectMs);
        QVERIFY(settle(*controller));

        const std::string chosen = chooseCurrent ? "PLUGM04" : "PLUGN01";
        QVERIFY(choose(*controller, chosen));
        QVERIFY(settle(*controller));
        QCOMPARE(controller->currentDevice()->serial(), chosen);
        QVERIFY(!controller->header().selectorOpen());
        // A NAX3 edits no presets: whatever was shown, its settings are.
        const QString expected = !chooseCurrent ? QStringLiteral("NAX3Settings")
                                 : screen == QLatin1String("editor") ? QStringLiteral("MIV3Editor")
                                 : screen == QLatin1String("transfers")
                                     ? QStringLiteral("Transfers")
                                     : QStringLiteral("MIV3Settings");
        QCOMPARE(shownClass(*controller), expected);
        QVERIFY(controller->screens().currentController()->view()->isVisible());

        // And the chosen pedal can still go.
        (chooseCurrent ? miv : nax)->kill();
        QTRY_COMPARE_WITH_TIMEOUT(controller->pedals().connected().size(), std::size_t(1), kConnectMs);
        QVERIFY(settle(*controller));
        QVERIFY(controller->screens().currentController()->view()->isVisible());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    PlugAndChooseQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlugAndChooseQtTest.moc"
