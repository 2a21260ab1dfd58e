// The editor in the real application: real discovery finds the simulated pedal, the user
// edits three parameters with the mouse, undoes and redoes with the Edit menu's shortcuts
// and saves with the File menu's; the pedal then holds exactly the edited bytes, and
// harbrixctl params reads those bytes back and writes them again. The window is saved into
// build/screenshots/editor/ along the way. Quitting with unsaved edits asks first, and a pedal
// unplugged while a question is open takes the question with it.
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "EditorHarness.h"
#include "app/AppDelegate.h"
#include "devices/DeviceRegistry.h"
#include "devices/PresetParameters.h"
#include "devices/PresetStore.h"
#include "editor/Detail.h"
#include "editor/DetailStack.h"
#include "editor/Light.h"
#include "shell/Application.h"
#include "shell/MIV3Status.h"
#include "shell/Notice.h"
#include "shell/QtMainRail.h"
#include "shell/QuitGuard.h"
#include "shell/Window.h"
#include "support/Paths.h"
#include "support/Program.h"
#include "support/ShownAlerts.h"
#include "support/SimulatedApplication.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"

using namespace harbrix;
using test::presetNamed;

namespace {

constexpr int kConnectMs = 20000;

// The point of a widget in the window's coordinates, for input the window routes itself.
void clickAt(QWidget* widget, const QPoint& point = QPoint(-1, -1)) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, point.x() < 0 ? widget->rect().center() : point);
}

}  // namespace

class EditorAppQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"editor-app"};
    test::TempDir cache{"editor-app-cache"};

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path()));
    }
    // The next case's discovery starts from no pedals, whatever this one left.
    void cleanup() { DeviceRegistry::resetRegistry(); }

    void editSaveAndReadBackFromTheTerminal() {
        const std::string state = pedals.file("state.json");
        test::writeState(state, {{0, presetNamed("Clean Octaves")},
                                 {1, presetNamed("Whammy~Dive", 0x30)},
                                 {2, presetNamed("", 0x50)},
                                 {3, presetNamed("Detuned Lead", 0x22)}});
        auto simulator = std::make_unique<test::Simulator>(std::vector<std::string>{
            "--dir", pedals.path(), "--model", "MIV3", "--serial", "EDITAPP1", "--state", state});
        QVERIFY2(simulator->running(), simulator->error().c_str());
        auto controller = test::launchWithDiscovery();
        Window* window = controller->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTRY_COMPARE_WITH_TIMEOUT(controller->screens().currentController()->className(),
                                  QStringLiteral("MIV3Editor"), kConnectMs);
        DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!presets(device).refreshing(), kConnectMs);
        QTRY_VERIFY(controller->pedals().initialized());
        auto* editor = dynamic_cast<MIV3Editor*>(controller->screens().editor().get());
        QVERIFY(editor != nullptr);
        QTRY_VERIFY(presets(device).cached(3) != nullptr);

        // The user picks "Detuned Lead" in the list.
        clickAt(editor->table()->row(3));
        QTRY_COMPARE(editor->status()->title()->text(), QStringLiteral("04 Detuned Lead"));
        const auto preset = presets(device).cached(3);
        // The pedal has loaded the picked preset and the picture's lamp says so.
        QTRY_VERIFY(editor->presetLoadedLight()->on());
        QVERIFY(test::saveShot(window, QStringLiteral("app-named-preset")));

        // Three edits with the mouse: a fader dragged up, a knob turned, a switch flipped.
        auto* fader = qobject_cast<ui::Fader*>(editor->control("levelM2"));
        QTest::mousePress(fader, Qt::LeftButton, {}, QPoint(22, fader->height() - 12));
        QTest::mouseMove(fader, QPoint(22, 60));
        QTest::mouseRelease(fader, Qt::LeftButton, {}, QPoint(22, 60));
        auto* knob = qobject_cast<ui::Knob*>(editor->control("masterVolume"));
        clickAt(knob, QPoint(knob->width() - 4, knob->height() / 2));  // pointing right
        clickAt(editor->control("direct"));
        QCOMPARE(preset->undoHistory().undoActionName(), std::string("Edit Setting"));
        const int levelM2 = *preset->value("levelM2");
        const int volume = *preset->value("masterVolume");
        QVERIFY(levelM2 > 17);
        QVERIFY(volume > 17 && volume < 127);
        QCOMPARE(preset->value("direct"), 1);
        QVERIFY(test::saveShot(window, QStringLiteral("app-dirty-preset")));

        // The Edit menu's Undo and Redo reach the editor through their shortcuts.
        const Bytes edited = preset->serialized();
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(preset->value("direct"), 0);
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(preset->serialized(), edited);
        // An open menu shows what the editor takes.
        window->fileMenu()->popup(window->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(window->fileMenu()->isVisible());
        QVERIFY(window->commandAction(Screen::Command::save)->isEnabled());
        QVERIFY(window->commandAction(Screen::Command::saveAs)->isEnabled());
        window->fileMenu()->hide();

        // Saved with the File menu's shortcut: the pedal holds exactly these bytes.
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(test::storedHex(state, 3), test::hexText(edited));
        QTRY_VERIFY(!editor->saveButton()->isEnabled());
        QVERIFY(!window->commandAction(Screen::Command::undo)->isEnabled() ||
                !controller->header().validateCommand(Screen::Command::undo));

        // The status panel compressed, the breakout panel open.
        QVERIFY(test::saveShot(window, QStringLiteral("app-status-expanded")));
        clickAt(editor->status()->compressButton());
        auto& details = editor->breakoutBox()->details();
        QVERIFY(details.size() >= 2);
        clickAt(details[0]->toggle());
        clickAt(details[1]->toggle());
        QVERIFY(details[0]->isOpen() && details[0]->content()->isVisible());
        QVERIFY(details[1]->isOpen() && details[1]->content()->isVisible());
        QVERIFY(details[1]->y() >= details[0]->y() + details[0]->contentHeight() + 20);
        QVERIFY(test::saveShot(window, QStringLiteral("app-breakout-open")));

        // The terminal sees the same bytes once the application has let the pedal go.
        controller.reset();
        DeviceRegistry::resetRegistry();
        QTRY_VERIFY(device.use_count() == 1);
        device.reset();
        const auto ctl = [&](std::vector<std::string> words) {
            words.insert(words.begin(), {"params", simulator->path(), "MIV3"});
            return test::runProgram(test::binPath("harbrixctl"), words,
                                    {{"XDG_CACHE_HOME", cache.path()}});
        };
        const auto shown = ctl({"4"});
        QVERIFY2(shown.status == 0, shown.err.c_str());
        for (const auto& parameter : parameters::table()) {
            const std::string line =
                std::string(parameter.key) + std::string(22 - parameter.key.size() + 1, ' ') +
                parameters::valueText(parameter, *preset->value(parameter.key)) + "\n";
            QVERIFY2(shown.out.find(line) != std::string::npos, line.c_str());
        }
        const auto written = ctl({"4", "masterVolume=99"});
        QVERIFY2(written.status == 0, written.err.c_str());
        Bytes expected = edited;
        expected[32] = 99 << 1;
        QCOMPARE(test::storedHex(state, 3), test::hexText(expected));
    }

    // Quitting while the Editor holds unsaved edits asks, without waiting, whether to save
    // them: Cancel or Escape keeps the window and the edits; "Don't Save" quits and leaves the
    // pedal as it was; "Save" quits once the pedal holds the edits; a save the pedal refuses
    // keeps the window open and says so. Ctrl+Q and the close box ask alike.
    void quittingWithUnsavedEditsAsksFirst_data() {
        QTest::addColumn<QString>("answer");  // empty: Escape
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("ctrlQ");
        QTest::newRow("Cancel") << ui::Alert::kCancel << false << true;
        QTest::newRow("Escape") << QString() << false << false;
        QTest::newRow("Don't Save") << QuitGuard::kDontSave << false << false;
        QTest::newRow("Save") << QuitGuard::kSave << false << true;
        QTest::newRow("Save refused") << QuitGuard::kSave << true << false;
    }
    void quittingWithUnsavedEditsAsksFirst() {
        QFETCH(QString, answer);
        QFETCH(bool, refused);
        QFETCH(bool, ctrlQ);
        const std::string state = pedals.file("quit.json");
        const Bytes original = presetNamed("Second", 0x30);
        test::writeState(state, {{0, presetNamed("First")}, {1, original}});
        std::vector<std::string> arguments{"--dir",    pedals.path(), "--model", "MIV3",
                                           "--serial", "EDITQUIT",    "--state", state};
        if (refused) arguments.insert(arguments.end(), {"--error", "WRITE_PRESET@1=5"});
        auto simulator = std::make_unique<test::Simulator>(arguments);
        QVERIFY2(simulator->running(), simulator->error().c_str());
        auto controller = test::launchWithDiscovery();
        Window* window = controller->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().initialized(), kConnectMs);
        const DeviceRef device = controller->currentDevice();
        auto* editor = dynamic_cast<MIV3Editor*>(controller->screens().editor().get());
        QVERIFY(editor != nullptr);
        QTRY_VERIFY(!presets(device).refreshing() && presets(device).cached(1) != nullptr);
        clickAt(editor->table()->row(1));
        QTRY_COMPARE(editor->selectedRow(), std::optional<std::size_t>(1));
        clickAt(editor->control("direct"));
        const auto preset = presets(device).cached(1);
        QVERIFY(preset->dirty());
        const Bytes edited = preset->serialized();

        if (ctrlQ) {
            QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        } else {
            window->close();
        }
        const ui::Alert* question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QCOMPARE(question->headline(),
                 QStringLiteral("Save the changes to Preset 02 before quitting?"));
        QCOMPARE(question->buttonTitles(),
                 (QStringList{QuitGuard::kSave, QuitGuard::kDontSave, ui::Alert::kCancel}));
        if (answer == QuitGuard::kSave && !refused)
            QVERIFY(test::saveShot(test::windowWithAlert(window, test::shownAlert()),
                                   QStringLiteral("editor"), QStringLiteral("quit-unsaved-edits")));
        QVERIFY(answer.isEmpty() ? test::pressOnAlert(Qt::Key_Escape) : test::answerAlert(answer));

        if (answer == QuitGuard::kSave && refused) {
            QTRY_COMPARE(editor->notice()->notice(),
                         QStringLiteral("Preset 02 could not be saved; your changes are kept."));
        }
        const bool quits =
            answer == QuitGuard::kDontSave || (answer == QuitGuard::kSave && !refused);
        if (quits) {
            QTRY_VERIFY(!window->isVisible());
        } else {
            QVERIFY(window->isVisible());
            QVERIFY(preset->dirty());
            QVERIFY(test::shownAlert() == nullptr);
        }
        const bool saved = answer == QuitGuard::kSave && !refused;
        QCOMPARE(test::storedHex(state, 1), test::hexText(saved ? edited : original));
    }

    // The pedal unplugged while the Editor's Delete question is open: the question closes
    // unanswered, and the window lives on.
    void thePedalLeavingClosesTheDeleteQuestion() {
        const std::string state = pedals.file("leaving.json");
        test::writeState(state, {{0, presetNamed("First")}, {1, presetNamed("Second")}});
        auto simulator = std::make_unique<test::Simulator>(std::vector<std::string>{
            "--dir", pedals.path(), "--model", "MIV3", "--serial", "EDITGONE", "--state", state});
        QVERIFY2(simulator->running(), simulator->error().c_str());
        auto controller = test::launchWithDiscovery();
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().initialized(), kConnectMs);
        auto* editor = dynamic_cast<MIV3Editor*>(controller->screens().editor().get());
        QVERIFY(editor != nullptr);
        QTRY_VERIFY(editor->deleteButton()->isEnabled());
        // Unplugged from inside whatever the click leaves running.
        QTimer::singleShot(0, [&] { simulator->kill(); });
        clickAt(editor->deleteButton());
        QVERIFY(test::waitForAlert() != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(controller->pedals().connected().empty(), 15000);
        QTRY_VERIFY(test::shownAlert() == nullptr);
        QVERIFY(controller->window()->isVisible());
        QCOMPARE(test::storedHex(state, 0), test::hexText(presetNamed("First")));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    EditorAppQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EditorAppQtTest.moc"
