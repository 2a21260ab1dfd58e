// The Transfers screen used with the keyboard alone: the whole application finding a
// simulated MIV3 through real discovery, and no mouse event at all. Keys typed into the window
// move, copy, swap, overwrite, rename and delete presets, and the pedal's bytes are checked
// after each step.
#include <QApplication>
#include <QTest>

#include "TransfersHarness.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;

namespace {

const Bytes kLead = presetBytes("Lead", 1);
const Bytes kClean = presetBytes("Clean", 2);
const Bytes kCrunch = presetBytes("Crunch", 3);

}  // namespace

class KeyboardTransfersEndToEndTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"keyboard-transfers"};

    // Keys typed into the window, as a keyboard types them.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {}, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(window_, key, modifiers);
    }
    void typeText(const char* text) {
        for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(window_, *c);
    }

    QWindow* window_ = nullptr;

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void everyOperationFromTheKeyboard() {
        using Presets = std::map<std::size_t, Bytes>;
        TransfersSession session(pedals.path(), {{0, kLead}, {1, kClean}, {4, kCrunch}});
        QVERIFY(session.ready());
        window_ = session.window()->windowHandle();
        Transfers& screen = session.screen();
        QTRY_VERIFY(screen.view()->hasFocus());

        // Move: Lead cut from slot 1 and pasted onto empty slot 3.
        type(Qt::Key_Down);
        type(Qt::Key_X, Qt::ControlModifier);
        type(Qt::Key_Down, {}, 2);
        type(Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(session.pedalPresets(), (Presets{{1, kClean}, {2, kLead}, {4, kCrunch}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());

        // Copy: Lead copied onto empty slot 4.
        type(Qt::Key_C, Qt::ControlModifier);
        type(Qt::Key_Down);
        type(Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(session.pedalPresets(),
                     (Presets{{1, kClean}, {2, kLead}, {3, kLead}, {4, kCrunch}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        type(Qt::Key_Escape);

        // Swap: slot 4 cut and pasted onto Crunch in slot 5.
        type(Qt::Key_X, Qt::ControlModifier);
        type(Qt::Key_Down);
        type(Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(session.pedalPresets(),
                     (Presets{{1, kClean}, {2, kLead}, {3, kCrunch}, {4, kLead}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());

        // Overwrite: Lead in slot 5 copied over Clean in slot 2.
        type(Qt::Key_C, Qt::ControlModifier);
        type(Qt::Key_Up, {}, 3);
        QCOMPARE(screen.keyboard().cursor(), std::size_t(1));
        type(Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(session.pedalPresets(),
                     (Presets{{1, kLead}, {2, kLead}, {3, kCrunch}, {4, kLead}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        type(Qt::Key_Escape);

        // Rename slot 2 with F2, then Enter to confirm.
        type(Qt::Key_F2);
        QTRY_VERIFY(session.slot(1)->editing());
        typeText("solo");
        type(Qt::Key_Return);
        QTRY_COMPARE(session.pedalNames().at(2), std::string("solo"));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
        const Bytes renamed = session.pedalPresets().at(1);
        QVERIFY(std::equal(renamed.begin() + 24, renamed.end(), kLead.begin() + 24, kLead.end()));
        QTRY_VERIFY(session.slot(1)->hasFocus());

        // Delete: slots 2 and 3 selected with Space and Shift+Down, Delete, and the question
        // answered with Return.
        type(Qt::Key_Space);
        type(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1, 2}));
        type(Qt::Key_Delete);
        QVERIFY(test::pressOnAlert(Qt::Key_Return));

        QTRY_COMPARE(session.pedalPresets(), (Presets{{3, kCrunch}, {4, kLead}}));
        QTRY_COMPARE(session.shownNames(), session.pedalNames());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    KeyboardTransfersEndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "KeyboardTransfersEndToEndTest.moc"
