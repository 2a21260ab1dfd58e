// Edit > Undo and Redo on the Transfers screen against a simulated pedal: a drag Move taken
// back with Ctrl+Z and done again with Ctrl+Shift+Z, the menu naming the operation without
// reading the journal, the screen following the pedal, and the notice of a change that sent
// nothing: a slot saved on the pedal itself, a journal that cannot be written.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include <filesystem>

#include "TransfersHarness.h"
#include "shell/Application.h"
#include "shell/ShellHarness.h"
#include "support/QueueGate.h"
#include "support/ShownAlerts.h"
// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/Journal.h"
#pragma pop_macro("slots")
#include "devices/PresetStore.h"
#include "platform/Paths.h"

using namespace harbrix;
using test::Dragging;
using test::presetBytes;
using test::TransfersSession;
using Names = std::map<std::size_t, std::string>;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)},
    {1, presetBytes("Clean", 2)},
};

// The Edit menu in the window's menu bar; none when the bar has no such menu.
QMenu* editMenu(QWidget* window) {
    const auto* main = qobject_cast<QMainWindow*>(window);
    if (!main || !main->menuBar()) return nullptr;
    for (QAction* action : main->menuBar()->actions())
        if (action->menu() && action->text() == QStringLiteral("Edit")) return action->menu();
    return nullptr;
}

}  // namespace

class TransfersUndoQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-undo"};
    test::TempDir journals{"transfers-journal"};

  private slots:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(journals.path()));
        TransfersSession::prepare(pedals.path());
    }

    void ctrlZPutsADragMoveBack() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        const Names start = session.pedalNames();
        QVERIFY(!screen.undo()->undoAction()->isEnabled());

        Dragging dragging(session);
        QVERIFY(dragging.start(session.slot(0)));
        dragging.moveOver(session.slot(2));
        QVERIFY(dragging.drop());
        session.settle();
        QCOMPARE(session.pedalNames(), (Names{{2, "Clean"}, {3, "Lead"}}));

        // The window's Edit menu, open under its title, names what it would undo.
        QMenu* menu = editMenu(session.window());
        QVERIFY(menu != nullptr);
        menu->popup(session.window()->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Undo Move"));
        QVERIFY(menu->actions().at(0)->isEnabled());
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Redo"));
        QVERIFY(!menu->actions().at(1)->isEnabled());
        // Drawn into the window as the platform would show it.
        QImage shot = session.windowShot();
        QPainter painter(&shot);
        const auto* bar = qobject_cast<QMainWindow*>(session.window())->menuBar();
        painter.drawPixmap(QPoint(0, bar->height()), menu->grab());
        painter.end();
        QVERIFY(test::saveShot(shot, QStringLiteral("edit-undo-move")));
        menu->hide();

        session.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(session.window()));
        screen.focusView()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(screen.focusView(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(session.pedalNames(), start);
        QTRY_COMPARE(session.shownNames(), start);
        QTRY_COMPARE(screen.commandTitle(Screen::Command::redo), QStringLiteral("Redo Move"));
        QVERIFY(!screen.validateCommand(Screen::Command::undo));

        QTest::keyClick(screen.focusView(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(session.pedalNames(), (Names{{2, "Clean"}, {3, "Lead"}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        QTRY_COMPARE(screen.commandTitle(Screen::Command::undo), QStringLiteral("Undo Move"));
        QVERIFY(!screen.notice()->isPosted());
        // The Editor's Undo is not the journal's: on another screen the menu says plain "Undo".
        session.app().screens().switchToEditor();
        QTRY_VERIFY(dynamic_cast<Transfers*>(session.app().screens().currentController().get()) ==
                    nullptr);
        menu->popup(session.window()->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Undo"));
        menu->hide();
    }

    // The menu's names are kept in memory: another program's entry shows up by itself, and
    // naming the actions never waits for the journal's lock.
    void theMenuNamesTheJournalWithoutReadingIt() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        const std::string path = Journal::forDevice(*session.device())->path();
        Journal other(path);  // as harbrixctl, in another process, sees the same file
        const auto number =
            other.begin("Rename", {{0, presetBytes("Lead", 1), presetBytes("Solo", 1)}});
        QVERIFY(number && other.finish(*number, {0}));
        QTRY_COMPARE(screen.commandTitle(Screen::Command::undo), QStringLiteral("Undo Rename"));

        const int holder = ::open((path + ".lock").c_str(), O_RDWR | O_CLOEXEC);
        QVERIFY(holder >= 0);
        QCOMPARE(::flock(holder, LOCK_EX), 0);
        QCOMPARE(screen.commandTitle(Screen::Command::undo), QStringLiteral("Undo Rename"));
        QVERIFY(screen.validateCommand(Screen::Command::undo));
        QVERIFY(!screen.validateCommand(Screen::Command::redo));
        ::close(holder);
    }

    // A slot changed on the pedal since the Move: Undo leaves both alone and says which.
    void undoLeavesASlotChangedSince() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        screen.runTransfer(TransferOperation::move, 1, 5);
        session.settle();
        QCOMPARE(screen.undo()->undoAction()->text(), QStringLiteral("Undo Move"));
        // Someone fills the emptied slot on the pedal itself.
        railSync(session.device()->queue(), [&] {
            QVERIFY(presets(session.device())
                        .write(Preset::presetWithSerialized(presetBytes("Theirs", 9)), 1));
        });
        screen.undo()->undoAction()->trigger();
        QTRY_VERIFY(screen.notice()->isPosted());
        QVERIFY(screen.notice()->notice().contains(QStringLiteral("slot 02")));
        QCOMPARE(session.pedalNames(), (Names{{1, "Lead"}, {2, "Theirs"}, {6, "Clean"}}));
    }

    // The pedal goes while an Undo waits on its queue: the actions do not stay busy for good.
    void undoWhosePedalWentEnds() {
        test::ScriptedPedals scripted;
        DeviceRef device = scripted.make("MIV3", "UNDOGONE");
        QVERIFY(device);
        QWidget view;
        TransfersUndo undo(device, &view, [](const std::string&) {});
        test::QueueGate gate(device->queue());
        undo.undo();
        QVERIFY(undo.busy());
        const std::weak_ptr<QORUARTDevice> gone = device;
        device.reset();
        QVERIFY(gone.expired());
        gate.open();
        QTRY_VERIFY(!undo.busy());
    }

    // A slot saved on the pedal itself stops a change; a change the journal cannot take is
    // sent only when the user chooses to go on without Undo.
    void aRefusedChangeSaysWhyAndSendsNothing() {
        test::TempDir owner;
        const std::string saves = owner.file("saves");
        TransfersSession session(pedals.path(), kPresets, {"--owner-file", saves});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        // The pedal's owner saves slot 6 on the pedal itself; it lands before the Move's reads.
        test::writeText(saves + ".new", "6\n");
        std::filesystem::rename(saves + ".new", saves);
        screen.runTransfer(TransferOperation::move, 0, 5);
        QTRY_VERIFY(screen.notice()->isPosted());
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("Slot 6 was changed on the pedal; the screen now shows it. "
                                "Nothing was changed."));
        const Names saved = {{1, "Lead"}, {2, "Clean"}, {6, "Saved on pedal"}};
        QCOMPARE(session.pedalNames(), saved);
        QTRY_COMPARE(session.shownNames(), saved);

        const std::string folder = journalDirectory();
        std::filesystem::create_directories(folder);
        std::filesystem::rename(folder, folder + ".away");
        test::writeText(folder, "not a folder");
        // The window asks whether to change the pedal without Undo; Cancel sends nothing.
        screen.runTransfer(TransferOperation::move, 0, 6);
        const ui::Alert* question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QCOMPARE(question->headline(),
                 QStringLiteral("Undo is not available: the journal could not be written (not a "
                                "directory). Change the pedal anyway?"));
        QCOMPARE(question->buttonTitles(), (QStringList{"Continue", "Cancel"}));
        QVERIFY(test::saveShot(test::windowWithAlert(session.window(), test::shownAlert()),
                               QStringLiteral("journal-question")));
        QVERIFY(test::answerAlert(ui::Alert::kCancel));
        session.settle();
        QCOMPARE(session.pedalNames(), saved);
        QVERIFY(!screen.notice()->notice().contains(QStringLiteral("journal")));
        // Filling an empty slot cannot lose a preset: it goes ahead without a question.
        screen.runTransfer(TransferOperation::copy, 1, 9);
        QTRY_COMPARE(session.pedalNames().count(10), std::size_t{1});
        QVERIFY(test::shownAlert() == nullptr);
        // Continue changes the pedal.
        screen.runTransfer(TransferOperation::move, 0, 6);
        QVERIFY(test::answerAlert(QStringLiteral("Continue")));
        const Names moved = {{2, "Clean"}, {6, "Saved on pedal"}, {7, "Lead"}, {10, "Clean"}};
        QTRY_COMPARE(session.pedalNames(), moved);
        QTRY_COMPARE(session.shownNames(), moved);
        // The delete question is this one from the start now, and Continue deletes.
        QTest::mouseClick(session.slot(6)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{6}));
        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QVERIFY(question->headline().startsWith(QStringLiteral("Undo is not available")));
        QVERIFY(test::answerAlert(QStringLiteral("Continue")));
        QTRY_COMPARE(session.pedalNames(),
                     (Names{{2, "Clean"}, {6, "Saved on pedal"}, {10, "Clean"}}));
        QTRY_VERIFY(!screen.deleting());
        std::filesystem::remove(folder);
        std::filesystem::rename(folder + ".away", folder);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersUndoQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersUndoQtTest.moc"
