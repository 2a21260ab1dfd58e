// The slot grid from the keyboard against a simulated pedal: where the arrows, the page keys,
// Tab and Shift+Tab take the focus and the accessible focus, the selection keys, and Edit >
// Cut, Copy and Paste of slots onto empty and occupied slots (the pedal's bytes checked), with
// the titles the menu shows and the status line's offer. The keyboard-only session through
// the whole application is KeyboardTransfersEndToEndTest.
#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "TransfersHarness.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;
using Names = std::map<std::size_t, std::string>;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)},
    {1, presetBytes("Clean", 2)},
    {4, presetBytes("Crunch", 3)},
    {6, presetBytes("Fuzz", 4)},
};

// The keys a user types: to whatever holds the focus in the window.
void press(TransfersSession& session, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(session.window()->windowHandle(), key, modifiers);
}

// The number of the slot holding the keyboard focus; 0 for none.
unsigned focused(TransfersSession& session) {
    for (std::size_t index = 0; index < Transfers::kSlotCount; ++index)
        if (session.slot(index)->hasFocus()) return unsigned(index + 1);
    return 0;
}

std::set<std::size_t> selection(Transfers& screen) {
    return screen.selected();
}

// Runs an Edit menu command as the menu does, after opening it for its titles.
QString menuTitle(TransfersSession& session, Screen::Command command) {
    auto& window = static_cast<Window&>(*session.window());
    emit window.editMenu()->aboutToShow();
    const QString title = window.commandAction(command)->text();
    emit window.editMenu()->aboutToHide();
    return title;
}

void runCommand(TransfersSession& session, Screen::Command command) {
    static_cast<Window&>(*session.window()).commandAction(command)->trigger();
}

// Saved as NAME.png, or NAME@2x.png when the window draws at twice the scale
// (QT_SCALE_FACTOR=2).
bool saveShot(TransfersSession& session, const QString& name) {
    const bool doubled = session.window()->devicePixelRatioF() > 1.5;
    return test::saveShot(session.windowShot(), doubled ? name + QStringLiteral("@2x") : name);
}

QString offer(Transfers& screen) {
    return screen.statusMessage2()->isVisible() ? screen.statusMessage2()->text() : QString();
}

}  // namespace

class TransfersKeyboardQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-keyboard"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void theFocusFollowsTheColumnsAndPages() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        QTRY_VERIFY(screen.view()->hasFocus());

        // The first key shows the ring where the keyboard is; then each key moves it.
        const std::pair<Qt::Key, unsigned> steps[] = {
            {Qt::Key_Down, 1},    {Qt::Key_Down, 2},   {Qt::Key_Right, 27}, {Qt::Key_Left, 2},
            {Qt::Key_Up, 1},      {Qt::Key_Up, 1},     {Qt::Key_Left, 1},   {Qt::Key_End, 100},
            {Qt::Key_Right, 100}, {Qt::Key_Down, 100}, {Qt::Key_Up, 99},    {Qt::Key_Home, 1},
        };
        for (const auto& [key, slot] : steps) {
            press(session, key);
            QCOMPARE(focused(session), slot);
        }
        // Down runs on from the foot of a column to the head of the next.
        for (int i = 0; i < 25; ++i) press(session, Qt::Key_Down);
        QCOMPARE(focused(session), 26u);
        QCOMPARE(screen.focusView(), session.slot(25));
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(session.window());
        QVERIFY(window && window->focusChild());
        QCOMPARE(window->focusChild()->object(), session.slot(25));
        QCOMPARE(window->focusChild()->text(QAccessible::Name), QStringLiteral("Slot 26, Empty"));

        // At 20 per page the keyboard keeps its place on the page; Page Down and Up turn
        // pages as their tabs do, and stop at the ends.
        screen.button20Clicked();
        QCOMPARE(focused(session), 6u);
        const std::tuple<Qt::Key, unsigned, unsigned> pages[] = {
            {Qt::Key_PageDown, 2, 26}, {Qt::Key_PageDown, 3, 46}, {Qt::Key_PageDown, 4, 66},
            {Qt::Key_PageDown, 5, 86}, {Qt::Key_PageDown, 5, 86}, {Qt::Key_PageUp, 4, 66},
            {Qt::Key_Right, 4, 71},    {Qt::Key_End, 4, 80},      {Qt::Key_Right, 4, 80},
        };
        for (const auto& [key, page, slot] : pages) {
            press(session, key);
            QCOMPARE(screen.page(), page);
            QCOMPARE(focused(session), slot);
        }
        QCOMPARE(screen.tabs(), screen.strips()[6].data());
        QVERIFY(saveShot(session, QStringLiteral("keyboard-focus-20")));

        // Tab leaves the grid; Shift+Tab comes back to the same slot, and leaves past it.
        press(session, Qt::Key_Tab);
        QCOMPARE(focused(session), 0u);
        press(session, Qt::Key_Backtab);
        QCOMPARE(focused(session), 80u);
        press(session, Qt::Key_Backtab);
        QCOMPARE(focused(session), 0u);
        QVERIFY(!screen.view()->hasFocus());
    }

    void spaceShiftAndCtrlASelect() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        press(session, Qt::Key_Space);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0}));
        press(session, Qt::Key_Space);
        QVERIFY(selection(screen).empty());
        // A range from where the keyboard was, over the occupied slots only.
        press(session, Qt::Key_Down, Qt::ShiftModifier);
        press(session, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0, 1}));
        press(session, Qt::Key_Down);
        press(session, Qt::Key_Down);
        press(session, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0, 1, 4}));
        press(session, Qt::Key_Up, Qt::ShiftModifier);
        press(session, Qt::Key_Up, Qt::ShiftModifier);
        press(session, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0, 1}));
        // Space starts a new range where it is.
        press(session, Qt::Key_End);
        press(session, Qt::Key_Home);
        for (int i = 0; i < 6; ++i) press(session, Qt::Key_Down);
        press(session, Qt::Key_Space);
        press(session, Qt::Key_Up, Qt::ShiftModifier);
        press(session, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0, 1, 4, 6}));
        press(session, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selection(screen), (std::set<std::size_t>{0, 1, 4, 6}));
        QCOMPARE(screen.statusMessage2()->text(), QStringLiteral("4 presets selected."));

        // + offers the slot's own add button, which Tab does not visit.
        press(session, Qt::Key_Plus, Qt::ShiftModifier);
        QVERIFY(test::waitFor<QFileDialog>() != nullptr);
        QVERIFY(test::answerFileDialog(QString()));
    }

    void cutCopyAndPasteRunWhatADropRuns() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        press(session, Qt::Key_Down);
        press(session, Qt::Key_Down);
        QCOMPARE(focused(session), 2u);
        QVERIFY2(menuTitle(session, Screen::Command::paste) == QStringLiteral("Paste"),
                 "nothing to paste yet");
        press(session, Qt::Key_Down);
        QCOMPARE(menuTitle(session, Screen::Command::cut), QStringLiteral("Cut"));
        press(session, Qt::Key_Up);
        QCOMPARE(menuTitle(session, Screen::Command::cut), QStringLiteral("Cut (Slot 2)"));

        // Cut onto an empty slot: Move.
        runCommand(session, Screen::Command::cut);
        QCOMPARE(session.slot(1)->mark(), SlotMark::cut);
        QCOMPARE(offer(screen), QString());
        press(session, Qt::Key_Down);
        QCOMPARE(offer(screen), QStringLiteral("Move preset."));
        QVERIFY(saveShot(session, QStringLiteral("keyboard-cut-mark")));
        QCOMPARE(menuTitle(session, Screen::Command::paste),
                 QStringLiteral("Paste (Move to Slot 3)"));
        runCommand(session, Screen::Command::paste);
        QTRY_COMPARE(session.pedalNames(),
                     (Names{{1, "Lead"}, {3, "Clean"}, {5, "Crunch"}, {7, "Fuzz"}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        QCOMPARE(session.pedalPresets().at(2), kPresets.at(1));
        QCOMPARE(session.slot(1)->mark(), SlotMark::none);
        QTRY_COMPARE(offer(screen), QString());

        // Cut onto an occupied slot: Swap.
        runCommand(session, Screen::Command::cut);
        press(session, Qt::Key_Up);
        press(session, Qt::Key_Up);
        QCOMPARE(offer(screen), QStringLiteral("Swap preset."));
        QCOMPARE(menuTitle(session, Screen::Command::paste),
                 QStringLiteral("Paste (Swap with Slot 1)"));
        runCommand(session, Screen::Command::paste);
        QTRY_COMPARE(session.pedalNames(),
                     (Names{{1, "Clean"}, {3, "Lead"}, {5, "Crunch"}, {7, "Fuzz"}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());

        // Copy onto an occupied slot: Overwrite; the copy stays marked for another paste,
        // onto an empty slot: Copy.
        runCommand(session, Screen::Command::copy);
        QCOMPARE(session.slot(0)->mark(), SlotMark::copy);
        for (int i = 0; i < 4; ++i) press(session, Qt::Key_Down);
        QCOMPARE(menuTitle(session, Screen::Command::paste),
                 QStringLiteral("Paste (Overwrite Slot 5)"));
        QCOMPARE(offer(screen), QStringLiteral("Overwrite preset."));
        QVERIFY(saveShot(session, QStringLiteral("keyboard-copy-mark")));
        runCommand(session, Screen::Command::paste);
        QTRY_COMPARE(session.pedalNames(),
                     (Names{{1, "Clean"}, {3, "Lead"}, {5, "Clean"}, {7, "Fuzz"}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        QCOMPARE(session.pedalPresets().at(4), kPresets.at(1));
        press(session, Qt::Key_Down);
        QCOMPARE(menuTitle(session, Screen::Command::paste),
                 QStringLiteral("Paste (Copy to Slot 6)"));
        runCommand(session, Screen::Command::paste);
        QTRY_COMPARE(session.pedalNames(),
                     (Names{{1, "Clean"}, {3, "Lead"}, {5, "Clean"}, {6, "Clean"}, {7, "Fuzz"}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());

        // Escape takes the mark back; pasting onto the marked slot itself runs nothing.
        press(session, Qt::Key_Escape);
        QCOMPARE(session.slot(0)->mark(), SlotMark::none);
        QCOMPARE(offer(screen), QString());
        QVERIFY(!screen.validateCommand(Screen::Command::paste));
        press(session, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(session.slot(5)->mark(), SlotMark::copy);
        QVERIFY(!screen.validateCommand(Screen::Command::paste));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersKeyboardQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersKeyboardQtTest.moc"
