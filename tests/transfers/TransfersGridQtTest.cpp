// The slot grid of the Transfers screen against a simulated pedal: pages, tabs and where the
// slots sit, selection and the status line it feeds, slots not read yet, and renaming a
// preset in place.
#include <QTest>

#include "TransfersHarness.h"
#include "shell/Application.h"
#include "transfers/TransfersLayout.h"
#include "ui/Alert.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)},       {1, presetBytes("Clean", 2)},   {6, presetBytes("a~b", 3)},
    {40, presetBytes("Forty-one", 4)}, {45, presetBytes("Crunch", 5)}, {99, presetBytes("Pad", 6)},
};

QString status(Transfers& screen) {
    return screen.status()->accessibleName();
}

}  // namespace

class TransfersGridQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-grid"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void pagesShowTheirSlotsInColumns() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("100-per-page")));
        QCOMPARE(screen.visibleSlots().size(), std::size_t(100));
        QCOMPARE(screen.tabs()->tabs()[0]->accessibleName(), QStringLiteral("Presets 1-100"));

        QTest::mouseClick(screen.button50(), Qt::LeftButton);
        QVERIFY(screen.button50()->isChecked() && !screen.button100()->isChecked());
        QCOMPARE(screen.body()->height(), 524);
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("50-per-page")));

        QTest::mouseClick(screen.button20(), Qt::LeftButton);
        QCOMPARE(screen.body()->height(), 511);
        QCOMPARE(screen.status()->x(), 373);
        QCOMPARE(screen.selectAllButton()->x() - screen.status()->x(),
                 transfers_layout::kSelectAllOffset);
        // The delete, import and export buttons stay centred on the slot area.
        const int middle = screen.importButton()->geometry().center().y();
        QVERIFY(std::abs(middle - screen.body()->geometry().center().y()) <= 1);

        // Page 3 of 20: slots 41-60, in columns of five, top to bottom.
        QCOMPARE(screen.tabs()->tabs().size(), std::size_t(5));
        QTest::mouseClick(screen.tabs()->tabs()[2], Qt::LeftButton);
        QCOMPARE(screen.page(), 3u);
        QVERIFY(screen.tabs() == screen.strips()[5]);
        QCOMPARE(screen.tabs()->tabOn(), 3u);
        std::vector<std::size_t> shown;
        for (Slot* slot : screen.visibleSlots()) shown.push_back(slot->number());
        QCOMPARE(shown.front(), std::size_t(41));
        QCOMPARE(shown.back(), std::size_t(60));
        QCOMPARE(shown.size(), std::size_t(20));
        for (std::size_t index = 0; index < 100; ++index)
            QCOMPARE(session.slot(index)->isVisible(), index >= 40 && index < 60);
        const QRect first = session.slot(40)->geometry();  // slot 41
        QCOMPARE(first.topLeft(),
                 transfers_layout::slotFrame(20, 40, screen.body()->width()).topLeft());
        for (std::size_t index = 41; index < 60; ++index) {
            const QRect frame = session.slot(index)->geometry();
            QVERIFY(frame.x() >= first.x());
            QVERIFY(frame.y() >= first.y());
        }
        QCOMPARE(session.slot(45)->y(), first.y());  // slot 46 heads the second column
        QVERIFY(session.slot(45)->x() > first.x());
        QCOMPARE(session.slot(41)->x(), first.x());  // slot 42 below slot 41
        QCOMPARE(session.slot(41)->y() - first.y(), 96);
        QCOMPARE(session.slot(40)->accessibleName(), QStringLiteral("Slot 41, Forty-one"));
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("20-per-page-page-3")));

        // The tab of the page shown: nothing changes, and it stays on.
        QTest::mouseClick(screen.tabs()->tabs()[2], Qt::LeftButton);
        QCOMPARE(screen.page(), 3u);
        QCOMPARE(screen.tabs()->tabOn(), 3u);

        // Back to 100: the first strip, page 1, the status line where it was.
        QTest::mouseClick(screen.button100(), Qt::LeftButton);
        QCOMPARE(screen.page(), 1u);
        QVERIFY(screen.tabs() == screen.strips()[0]);
        QCOMPARE(screen.status()->x(), transfers_layout::kStatus.x());
        QCOMPARE(screen.body()->height(), 546);

        for (const char* name : {"Delete", "Import", "Export", "Cancel", "Select All",
                                 "Deselect All", "20 per page", "50 per page", "100 per page"}) {
            QVERIFY2(!screen.view()->findChildren<QAbstractButton*>().isEmpty(), name);
            bool found = false;
            for (QAbstractButton* button : screen.view()->findChildren<QAbstractButton*>())
                found = found || button->accessibleName() == QLatin1String(name);
            QVERIFY2(found, name);
        }
    }

    void selectionCountsOnlyKnownPresets() {
        // The last slot cannot be read: the screen never learns what it holds.
        std::map<std::size_t, Bytes> presets = kPresets;
        presets[99] = presetBytes("Hidden", 7);
        TransfersSession session(pedals.path(), presets, {"--error", "READ_PRESET@99=5"});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        Slot* unknown = session.slot(99);
        QVERIFY(!unknown->known());
        QVERIFY(!unknown->empty() && !unknown->occupied());
        QCOMPARE(unknown->accessibleName(), QStringLiteral("Slot 100, Unknown"));
        QVERIFY(unknown->addButton()->isHidden());
        QCOMPARE(session.slot(2)->accessibleName(), QStringLiteral("Slot 3, Empty"));
        QCOMPARE(session.slot(6)->accessibleName(), QStringLiteral("Slot 7, a\uF888b"));
        QCOMPARE(status(screen), QStringLiteral("Stored Presets: 5"));

        QTest::mouseClick(session.slot(1)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{1}));
        QCOMPARE(status(screen), QStringLiteral("Stored Presets: 5  1 preset selected."));
        QCOMPARE(session.slot(1)->backgroundImage(), QStringLiteral("TRANSFERS_slot_100_selected"));
        QVERIFY(screen.deleteButton()->isEnabled());

        QTest::mouseClick(screen.selectAllButton(), Qt::LeftButton);
        QCOMPARE(screen.selected(), (std::set<std::size_t>{0, 1, 6, 40, 45}));
        QCOMPARE(status(screen), QStringLiteral("Stored Presets: 5  5 presets selected."));

        // An empty slot, or one not read: the selection is cleared and nothing is selected.
        for (Slot* slot : {session.slot(2), unknown}) {
            QTest::mouseClick(screen.selectAllButton(), Qt::LeftButton);
            QTest::mouseClick(slot->clickArea(), Qt::LeftButton);
            QTRY_VERIFY(screen.selected().empty());
            QCOMPARE(status(screen), QStringLiteral("Stored Presets: 5"));
            QVERIFY(!screen.deleteButton()->isEnabled());
        }

        // A range from the clicked slot takes the occupied slots between; a shorter range
        // afterwards lets go of the ones it no longer reaches.
        QTest::mouseClick(session.slot(1)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{1}));
        screen.slotShiftSelected(session.slot(45));
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1, 6, 40, 45}));
        screen.slotShiftSelected(session.slot(6));
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1, 6}));
        QCOMPARE(status(screen), QStringLiteral("Stored Presets: 5  2 presets selected."));
    }

    void renamingInPlace() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        Slot* clean = session.slot(1);
        QTest::mouseClick(clean->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{1}));

        // A double click starts a rename and leaves the selection as it was.
        test::doubleClick(clean->clickArea());
        QTRY_VERIFY(clean->editing());
        QVERIFY(screen.editor()->isVisible());
        QCOMPARE(screen.editor()->text(), QStringLiteral("Clean"));
        QCOMPARE(screen.editor()->selectedText(), QStringLiteral("Clean"));
        QCOMPARE(clean->backgroundImage(), QStringLiteral("TRANSFERS_slot_100_rename"));
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1}));
        QTest::keyClicks(screen.editor(), QStringLiteral("Bright"));
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("rename-in-progress")));

        // Escape: the old name, nothing sent.
        const auto before = session.pedalPresets();
        QTest::keyClick(screen.editor(), Qt::Key_Escape);
        QTRY_VERIFY(!clean->editing());
        QCOMPARE(clean->shownName(), QStringLiteral("Clean"));
        session.settle();
        QCOMPARE(session.pedalPresets(), before);

        // The same name again: nothing sent.
        test::doubleClick(clean->clickArea());
        QTRY_VERIFY(clean->editing());
        QTest::keyClick(screen.editor(), Qt::Key_Return);
        QVERIFY(!clean->editing());
        session.settle();
        QCOMPARE(session.pedalPresets(), before);

        // Emptied: "Preset 2", on the pedal too. "~" is typed as U+F888 and stored as "~".
        test::doubleClick(clean->clickArea());
        QTRY_VERIFY(clean->editing());
        screen.editor()->clear();
        QTest::keyClick(screen.editor(), Qt::Key_Return);
        QCOMPARE(clean->shownName(), QStringLiteral("Preset 2"));
        QTRY_COMPARE(session.pedalNames()[2], std::string("Preset 2"));
        QTRY_COMPARE(clean->preset()->name(), std::string("Preset 2"));

        test::doubleClick(clean->clickArea());
        QTRY_VERIFY(clean->editing());
        screen.editor()->setText(QStringLiteral("x\uF888y"));
        QTest::keyClick(screen.editor(), Qt::Key_Return);
        QTRY_COMPARE(session.pedalNames()[2], std::string("x~y"));
        QTRY_COMPARE(clean->accessibleName(), QStringLiteral("Slot 2, x\uF888y"));
    }

    void aRefusedRenameKeepsTheOldName() {
        TransfersSession session(pedals.path(), kPresets, {"--error", "WRITE_PRESET@0=5"});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        Slot* lead = session.slot(0);
        test::doubleClick(lead->clickArea());
        QTRY_VERIFY(lead->editing());
        screen.editor()->setText(QStringLiteral("Solo"));
        QTest::keyClick(screen.editor(), Qt::Key_Return);
        QCOMPARE(lead->shownName(), QStringLiteral("Solo"));  // at once, while it is sent
        QTRY_COMPARE(
            screen.notice()->notice(),
            QStringLiteral("Slot 1 could not be renamed; the pedal kept the name \"Lead\"."));
        QCOMPARE(lead->shownName(), QStringLiteral("Lead"));
        QCOMPARE(lead->preset()->name(), std::string("Lead"));
        QCOMPARE(session.pedalNames()[1], std::string("Lead"));
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("rename-refused")));
        // The next action dismisses it.
        QTest::mouseClick(session.slot(1)->clickArea(), Qt::LeftButton);
        QTRY_VERIFY(!screen.notice()->isPosted());

        // A name the pedal cannot store: said so, nothing sent.
        test::doubleClick(lead->clickArea());
        QTRY_VERIFY(lead->editing());
        screen.editor()->setText(QStringLiteral("Caf\u00e9"));
        QTest::keyClick(screen.editor(), Qt::Key_Return);
        QVERIFY(screen.notice()->notice().startsWith(QStringLiteral("Slot 1 kept its name")));
        QCOMPARE(lead->shownName(), QStringLiteral("Lead"));

        // Typed, a character the pedal cannot store is refused as it comes, and so is a 25th.
        test::doubleClick(lead->clickArea());
        QTRY_VERIFY(lead->editing());
        QTest::keyClicks(screen.editor(), QStringLiteral("Caf"));
        QTest::sendKeyEvent(QTest::Click, screen.editor(), Qt::Key_Eacute,
                            QStringLiteral("\u00e9"), Qt::NoModifier);
        QCOMPARE(screen.editor()->text(), QStringLiteral("Caf"));
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("Preset names hold only ASCII letters, digits and signs; "
                                "\"\u00e9\" cannot be stored."));
        QTest::keyClicks(screen.editor(), QString(30, QLatin1Char('x')));
        QCOMPARE(screen.editor()->text().size(), 24);
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("A preset name holds at most 24 characters."));
        QTest::keyClick(screen.editor(), Qt::Key_Escape);
        QTRY_VERIFY(!lead->editing());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersGridQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersGridQtTest.moc"
