// Edit > Undo and Redo on the Transfers screen against a simulated pedal: a drag Move taken
// back with Ctrl+Z and done again with Ctrl+Shift+Z, the menu naming the operation without
// reading the journal, and the screen following the pedal.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QMenuBar>
#include <QTest>

#include "TransfersHarness.h"
#include "shell/Application.h"
// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/Journal.h"
#pragma pop_macro("slots")

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
        session.app().switchToEditor();
        QTRY_VERIFY(dynamic_cast<Transfers*>(session.app().currentController().get()) == nullptr);
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
        screen.movePreset(1, 5);
        session.settle();
        QCOMPARE(screen.undo()->undoAction()->text(), QStringLiteral("Undo Move"));
        // Someone fills the emptied slot on the pedal itself.
        railSync(session.device()->queue(), [&] {
            QVERIFY(session.device()->writePreset(
                Preset::presetWithSerialized(presetBytes("Theirs", 9)), 1));
        });
        screen.undo()->undoAction()->trigger();
        QTRY_VERIFY(screen.notice()->isPosted());
        QVERIFY(screen.notice()->notice().contains(QStringLiteral("slot 02")));
        QCOMPARE(session.pedalNames(), (Names{{1, "Lead"}, {2, "Theirs"}, {6, "Clean"}}));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersUndoQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersUndoQtTest.moc"
