// The Library panel on the Transfers screen against a simulated pedal, used through the
// window: presets the pedal was read with, dragged from the panel onto an empty and an
// occupied slot; the search and its filters; a snapshot restored after its question, then
// undone; and the pedal leaving while the panel and its question are open.
#include <QTest>

#include "TransfersHarness.h"
#include "app/AppLibrary.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"
#pragma push_macro("slots")
#undef slots
#include "devices/Preset.h"
#include "library/PedalLibrary.h"
#pragma pop_macro("slots")

using namespace harbrix;
using test::Dragging;
using test::presetBytes;
using test::TransfersSession;

namespace {

const Bytes kLead = presetBytes("Lead", 1);
const Bytes kClean = presetBytes("Clean", 2);
const std::map<std::size_t, Bytes> kPresets = {{0, kLead}, {1, kClean}};

using Names = std::set<std::string>;

LibraryPanel* openPanel(TransfersSession& session) {
    session.window()->activateWindow();
    if (!QTest::qWaitForWindowActive(session.window())) return nullptr;
    QTest::keyClick(session.window(), Qt::Key_L, Qt::ControlModifier);
    LibraryPanel* panel = session.app().library().panel();
    return panel && panel->isOpen() ? panel : nullptr;
}

Names shownNames(const LibraryPanel& panel) {
    Names names;
    for (const LibraryPreset& preset : panel.shown()) names.insert(preset.name);
    return names;
}

// Waits for an answer given after this call that lists exactly these presets.
bool shows(LibraryPanel& panel, const Names& names) {
    const std::size_t before = panel.answers();
    return QTest::qWaitFor([&] { return panel.answers() > before && shownNames(panel) == names; },
                           10000);
}

// Waits until the panel lists exactly these presets.
bool lists(LibraryPanel& panel, const Names& names) {
    return QTest::qWaitFor([&] { return shownNames(panel) == names; }, 10000);
}

int rowOf(const LibraryPanel& panel, const std::string& name) {
    const auto presets = panel.shown();
    for (std::size_t row = 0; row < presets.size(); ++row)
        if (presets[row].name == name) return static_cast<int>(row);
    return -1;
}

// Presses on the result, pulls it out of the list and over the slot; the drop is the caller's.
void dragResult(TransfersSession& session, LibraryPanel& panel, const std::string& name,
                Dragging& dragging, Slot* over) {
    QListWidget* list = panel.results();
    const QRect item = list->visualItemRect(list->item(rowOf(panel, name)));
    const QPoint from = list->viewport()->mapTo(session.window(), item.center());
    QWindow* window = session.window()->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    QTest::mouseEvent(QTest::MouseMove, window, Qt::NoButton, {}, from + QPoint(-8, 2));
    QTest::mouseEvent(QTest::MouseMove, window, Qt::NoButton, {}, from + QPoint(-24, 4));
    dragging.moveOver(over);
}

}  // namespace

class LibraryPanelQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"library-panel"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void dragsFromTheLibraryOntoAnEmptyAndAnOccupiedSlot() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        LibraryPanel* panel = openPanel(session);
        QVERIFY2(panel, "Ctrl+L opens the panel");
        QVERIFY(lists(*panel, {"Lead", "Clean"}));
        QCOMPARE(panel->searchField()->accessibleName(), QStringLiteral("Search presets"));
        QCOMPARE(panel->results()->item(rowOf(*panel, "Lead"))->data(Qt::AccessibleTextRole),
                 QVariant(QStringLiteral("Preset Lead, MIV3, on slot 1")));
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("library"),
                               QStringLiteral("panel-with-results")));

        Dragging dragging(session);
        TransfersBackground* grid = session.screen().body();
        dragResult(session, *panel, "Lead", dragging, session.slot(4));
        QCOMPARE(grid->operation(), TransferOperation::copy);
        QVERIFY(dragging.drop());
        session.settle();
        dragResult(session, *panel, "Clean", dragging, session.slot(0));
        QCOMPARE(grid->operation(), TransferOperation::overwrite);
        QVERIFY(dragging.drop());
        session.settle();
        QTRY_COMPARE_WITH_TIMEOUT(
            session.pedalPresets(),
            (std::map<std::size_t, Bytes>{{0, kClean}, {1, kClean}, {4, kLead}}), 10000);
        QCOMPARE(session.received(), (std::vector<std::string>{"WRITE 4", "WRITE 0"}));
        // Journaled as any drop: Undo puts Lead back.
        QTRY_COMPARE(session.screen().commandTitle(Screen::Command::undo),
                     QStringLiteral("Undo Overwrite"));
        session.screen().performCommand(Screen::Command::undo);
        QTRY_COMPARE_WITH_TIMEOUT(session.pedalPresets()[0], kLead, 10000);
    }

    void theSearchAnswersAsTheUserTypesAndFilters() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        LibraryPanel* panel = openPanel(session);
        QVERIFY(panel);
        QVERIFY(lists(*panel, {"Lead", "Clean"}));
        {
            // Another program adds presets that are on no pedal.
            auto other = Library::open(Library::defaultPath());
            QVERIFY(other.library);
            QVERIFY(other.library->collect("MIV3", presetBytes("Far Away", 5), "Far Away",
                                           {{}, std::nullopt, "/tmp/far.qor"}));
            QVERIFY(other.library->collect("NAX3", presetBytes("Nax Lead", 6), "Nax Lead",
                                           {{}, std::nullopt, "/tmp/nax.qor"}));
        }
        panel->search();
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Away", "Nax Lead"}));
        QTest::keyClicks(panel->searchField(), QStringLiteral("lea"));
        QVERIFY(shows(*panel, {"Lead", "Nax Lead"}));
        panel->modelFilter()->setCurrentText(QStringLiteral("NAX3"));
        QVERIFY(shows(*panel, {"Nax Lead"}));
        panel->modelFilter()->setCurrentIndex(0);
        panel->searchField()->clear();
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Away", "Nax Lead"}));
        panel->onPedalFilter()->setChecked(true);
        QVERIFY(shows(*panel, {"Lead", "Clean"}));
        panel->onPedalFilter()->setChecked(false);
        panel->notOnAnyPedalFilter()->setChecked(true);
        QVERIFY(shows(*panel, {"Far Away", "Nax Lead"}));
        panel->notOnAnyPedalFilter()->setChecked(false);
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Away", "Nax Lead"}));

        // Tagged, renamed and marked a favourite in place.
        panel->results()->setCurrentRow(rowOf(*panel, "Far Away"));
        panel->tagsField()->setText(QStringLiteral("warm, amp"));
        emit panel->tagsField()->editingFinished();
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Away", "Nax Lead"}));
        panel->nameField()->setText(QStringLiteral("Far Off"));
        emit panel->nameField()->editingFinished();
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Off", "Nax Lead"}));
        QTest::mouseClick(panel->favouriteBox(), Qt::LeftButton);
        QVERIFY(shows(*panel, {"Lead", "Clean", "Far Off", "Nax Lead"}));
        panel->favouritesFilter()->setChecked(true);
        QVERIFY(shows(*panel, {"Far Off"}));
        panel->favouritesFilter()->setChecked(false);
        QTest::keyClicks(panel->searchField(), QStringLiteral("warm"));
        QVERIFY(shows(*panel, {"Far Off"}));
    }

    void restoresASnapshotAfterAskingAndUndoTakesItBack() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        LibraryPanel* panel = openPanel(session);
        QVERIFY(panel);
        SnapshotList* snapshots = panel->snapshots();
        QTRY_COMPARE_WITH_TIMEOUT(snapshots->list()->count(), 1, 10000);
        // A journaled change: the pedal is kept again.
        Dragging dragging(session);
        QVERIFY(dragging.start(session.slot(0)));
        dragging.moveOver(session.slot(6));
        QVERIFY(dragging.drop());
        session.settle();
        QTRY_COMPARE_WITH_TIMEOUT(snapshots->list()->count(), 2, 10000);
        const QString first = snapshots->list()->item(1)->data(Qt::AccessibleTextRole).toString();
        QVERIFY2(first.startsWith(QStringLiteral("Snapshot ")) &&
                     first.endsWith(QStringLiteral(", 2 slots differ")),
                 qPrintable(first));
        snapshots->list()->setCurrentRow(1);
        QTest::mouseClick(snapshots->compareButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(snapshots->message()->text(),
                                  QStringLiteral("Slots that differ from the pedal now: 1, 7."),
                                  10000);
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("library"),
                               QStringLiteral("snapshots")));

        QTest::mouseClick(snapshots->restoreButton(), Qt::LeftButton);
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QTRY_COMPARE_WITH_TIMEOUT(session.pedalPresets(), kPresets, 10000);
        session.settle();
        session.screen().performCommand(Screen::Command::undo);
        QTRY_COMPARE_WITH_TIMEOUT(session.pedalPresets(),
                                  (std::map<std::size_t, Bytes>{{1, kClean}, {6, kLead}}), 10000);
    }

    void aPedalLeavingWithThePanelAndItsQuestionOpen() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        QPointer<LibraryPanel> panel = openPanel(session);
        QVERIFY(panel);
        QTRY_COMPARE_WITH_TIMEOUT(panel->snapshots()->list()->count(), 1, 10000);
        panel->snapshots()->list()->setCurrentRow(0);
        panel->searchField()->setText(QStringLiteral("Lead"));
        QTest::mouseClick(panel->snapshots()->restoreButton(), Qt::LeftButton);
        QVERIFY(test::waitForAlert() != nullptr);
        session.pedal().kill();
        QTRY_VERIFY_WITH_TIMEOUT(panel.isNull(), 15000);
        QVERIFY(test::mainRailPassed());
        QVERIFY(session.window()->isVisible());
        QVERIFY(test::shownAlert() == nullptr);
        QVERIFY(session.received().empty());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    LibraryPanelQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LibraryPanelQtTest.moc"
