// The editor controller against the simulated pedal: which selections keep edits, the
// footswitches and arrow keys, saving in place and as a new preset, failures that must not
// pass for success, deleting, and slots whose contents are not known yet.
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

#include "EditorHarness.h"
#include "devices/PresetStore.h"
#include "editor/Light.h"
#include "platform/Paths.h"
#include "shell/MIV3Status.h"
#include "shell/Notice.h"
#include "shell/QtMainRail.h"
#include "shell/Shield.h"
#include "support/QueueGate.h"
#include "support/ShownAlerts.h"
#include "transfers/Transfers.h"
#include "transfers/TransfersUndo.h"
#include "ui/Alert.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"

using namespace harbrix;
using test::presetNamed;

namespace {

// An edit as the parameter controls make it.
void edit(MIV3Editor& editor, const std::string& key, double percentage) {
    auto* fader = qobject_cast<ui::Fader*>(editor.control(key));
    fader->delegate()->fader(fader, true, percentage);
}

// The presets of slots 0..count-1, named "P01".. with distinct bytes.
std::map<std::size_t, Bytes> occupied(std::size_t count) {
    std::map<std::size_t, Bytes> presets;
    for (std::size_t slot = 0; slot < count; ++slot) {
        char name[8];
        std::snprintf(name, sizeof name, "P%02u", static_cast<unsigned>(slot + 1));
        presets[slot] = presetNamed(name, static_cast<std::uint8_t>(0x10 + 2 * slot));
    }
    return presets;
}

// Dismisses the notice shown, once it is the refresh refusal.
bool refusedForRefresh() {
    const ui::Alert* notice = test::waitForAlert();
    return notice != nullptr &&
           notice->headline() == QLatin1String("Hang on while presets are being refreshed") &&
           notice->finePrint() == QLatin1String(Transfers::kRefreshingFinePrint) &&
           test::answerAlert(ui::Alert::kOK);
}

}  // namespace

class EditorQtTest : public QObject {
    Q_OBJECT

    test::TempDir journals{"editor-journal"};

  private slots:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(journals.path()));
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    // The user's clicks discard the edits of the preset being left; the program's selections
    // keep them. An edited empty preset is drawn full, with an opaque number.
    void userSelectionsDiscardEditsProgramSelectionsKeepThem() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(5);
        edit(editor, "levelDry", 100);
        QVERIFY(bench.cached(5)->dirty());
        EditorPresetsTableCellView* row5 = editor.table()->row(5);
        QCOMPARE(row5->backgroundName(), QStringLiteral("EDITOR_preset_slot_selected"));
        QCOMPARE(row5->accessibleName(), QStringLiteral("Preset 06, User Preset 06"));

        editor.presetDownFootswitchClicked();  // a program selection
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(6));
        QVERIFY(bench.cached(5)->dirty());
        QCOMPARE(row5->backgroundName(), QStringLiteral("EDITOR_preset_slot_full"));
        QCOMPARE(row5->number()->color().alphaF(), 1.0);
        QCOMPARE(editor.table()->row(7)->backgroundName(),
                 QStringLiteral("EDITOR_preset_slot_empty"));
        QVERIFY(editor.table()->row(7)->number()->color().alphaF() < 0.5);

        edit(editor, "levelDry", 50);
        QTest::mouseClick(editor.table()->row(1), Qt::LeftButton);  // the user's
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(1));
        QVERIFY(!bench.cached(6)->dirty());
        QVERIFY(bench.cached(5)->dirty());
        // The pedal is switched to the user's choice and loads it.
        bench.settle();
        QCOMPARE(bench.pedalSelection(), std::optional<std::uint8_t>(1));
        QVERIFY(editor.presetLoadedLight()->on());
    }

    // Footswitches and arrow keys wrap at both ends of the 100 rows.
    void footswitchesAndArrowsWrap() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(2)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        QTest::mouseClick(editor.presetUpFootswitch(), Qt::LeftButton);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(99));
        // The list follows the selection to the far end and back.
        QVERIFY(!editor.table()->row(99)->visibleRegion().isEmpty());
        QVERIFY(editor.table()->row(0)->visibleRegion().isEmpty());
        QTest::mouseClick(editor.presetDownFootswitch(), Qt::LeftButton);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(0));
        QVERIFY(!editor.table()->row(0)->visibleRegion().isEmpty());
        editor.view()->setFocus();
        QTest::keyClick(editor.view(), Qt::Key_Up);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(99));
        QTest::keyClick(editor.view(), Qt::Key_Down);
        QTest::keyClick(editor.view(), Qt::Key_Down);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(1));
        QTest::keyClick(editor.view(), Qt::Key_Left);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(1));
        bench.settle();
        QCOMPARE(bench.pedalSelection(), std::optional<std::uint8_t>(1));
    }

    // A save writes the edited bytes and leaves a clean preset with nothing to undo.
    void saveInPlaceLeavesNothingToUndo() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(2);
        edit(editor, "levelM1", 25);
        edit(editor, "levelP1", 75);
        const Bytes edited = bench.cached(2)->serialized();
        QVERIFY(editor.validateCommand(Screen::Command::save));
        QVERIFY(editor.validateCommand(Screen::Command::undo));
        editor.performCommand(Screen::Command::save);
        QTRY_VERIFY(!editor.saveButton()->isEnabled());
        QCOMPARE(bench.stored(2), test::hexText(edited));
        QVERIFY(!bench.cached(2)->dirty());
        QCOMPARE(bench.cached(2)->serialized(), edited);
        QVERIFY(!editor.canUndo());
        QVERIFY(!editor.undoButton()->isEnabled());
        QVERIFY(!editor.saveButton()->isEnabled());
        QVERIFY(!editor.validateCommand(Screen::Command::undo));
        editor.undoPresetChanges();
        QCOMPARE(bench.cached(2)->serialized(), edited);
    }

    // Edits made between the click on Save (or Save As) and the pedal's write stay, as a
    // draft over what was saved.
    void editsMadeWhileSavingStayUnsaved_data() {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("save") << false;
        QTest::newRow("save as") << true;
    }
    void editsMadeWhileSavingStayUnsaved() {
        QFETCH(bool, saveAs);
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(1);
        edit(editor, "levelM1", 25);
        const Bytes saved = bench.cached(1)->serialized();
        const std::size_t target = saveAs ? 3 : 1;
        {
            test::QueueGate gate(bench.device->queue());
            editor.performCommand(saveAs ? Screen::Command::saveAs : Screen::Command::save);
            edit(editor, "levelP1", 75);
        }
        bench.settle();
        QTRY_COMPARE(bench.stored(target), test::hexText(saved));
        QTRY_COMPARE(editor.selectedRow(), std::optional<std::size_t>(target));
        const auto kept = bench.cached(target);
        QVERIFY(kept->dirty());
        QCOMPARE(kept->clean(), saved);
        QCOMPARE(kept->value("levelM1"), Preset::presetWithSerialized(saved)->value("levelM1"));
        QVERIFY(kept->value("levelP1") != Preset::presetWithSerialized(saved)->value("levelP1"));
        QVERIFY(editor.saveButton()->isEnabled());
    }

    // Save As takes the lowest empty slot but the edited one, selects it, and returns the
    // edited preset to its saved state. Slots not read yet are never taken for empty.
    void saveAsPicksTheLowestEmptySlot() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(4), {}, {0, 1, 2, 3, 6, 7}));
        MIV3Editor& editor = *bench.editor;
        QCOMPARE(editor.table()->row(4)->accessibleName(), QStringLiteral("Preset 05, Unknown"));
        QCOMPARE(editor.table()->row(6)->accessibleName(), QStringLiteral("Preset 07, Empty"));
        editor.selectPreset(3);
        const Bytes saved = bench.cached(3)->serialized();
        edit(editor, "levelDetune", 60);
        const Bytes edited = bench.cached(3)->serialized();
        editor.saveAsNewPreset();
        QTRY_COMPARE(editor.selectedRow(), std::optional<std::size_t>(6));
        QCOMPARE(bench.stored(6), test::hexText(edited));
        QCOMPARE(bench.stored(3), test::hexText(saved));
        QCOMPARE(bench.cached(3)->serialized(), saved);
        QVERIFY(!bench.cached(3)->dirty());
        QCOMPARE(editor.table()->row(6)->accessibleName(), QStringLiteral("Preset 07, P04"));
        QCOMPARE(editor.notice()->notice(), QStringLiteral("Saved as Preset 07."));
        bench.settle();
        QCOMPARE(bench.pedalSelection(), std::optional<std::uint8_t>(6));

        // From an empty slot: never itself, even though it is the lowest empty one.
        editor.selectPreset(7);
        edit(editor, "levelDry", 10);
        QVERIFY(editor.saveAsButton()->isEnabled());
        editor.performCommand(Screen::Command::saveAs);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(7));
        QCOMPARE(editor.notice()->notice(), QStringLiteral("No empty slot for Save As."));
        QCOMPARE(bench.stored(7), std::string());
        QVERIFY2(bench.cached(7)->dirty(), "nothing was given up");

        // Nor is an empty slot that holds unsaved edits of its own given to another preset.
        editor.selectPreset(0);
        edit(editor, "levelDry", 20);
        editor.saveAsNewPreset();
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(0));
        QCOMPARE(editor.notice()->notice(), QStringLiteral("No empty slot for Save As."));
        bench.settle();
        QCOMPARE(bench.stored(7), std::string());
        QVERIFY(bench.cached(7)->dirty());
        QVERIFY(bench.cached(0)->dirty());
    }

    void saveAsWithoutAnEmptySlotSaysSo() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(100)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(10);
        edit(editor, "levelDry", 30);
        editor.saveAsNewPreset();
        QCOMPARE(editor.notice()->notice(), QStringLiteral("No empty slot for Save As."));
        QVERIFY(editor.notice()->isVisible());
        QVERIFY(bench.cached(10)->dirty());
        // The next action takes the notice away.
        edit(editor, "levelDry", 40);
        QVERIFY(!editor.notice()->isPosted());
    }

    // A save, Save As or delete the pedal refuses is said on the screen, and the edits stay
    // to be saved again.
    void refusalsAreShownAndLoseNothing() {
        test::EditorBench bench;
        QVERIFY(
            bench.start(occupied(8), {"--error", "WRITE_PRESET@6=5", "--error", "WRITE_PRESET@8=5",
                                      "--error", "ERASE_PRESET@6=5", "--error", "MIDI_JAM=5"}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(6);
        edit(editor, "levelDry", 90);
        const Bytes edited = bench.cached(6)->serialized();
        QSignalSpy posted(editor.notice(), &Notice::posted);
        editor.savePreset();
        QTRY_COMPARE(posted.count(), 1);
        QCOMPARE(editor.notice()->notice(),
                 QStringLiteral("Preset 07 could not be saved; your changes are kept."));
        QVERIFY(bench.cached(6)->dirty());
        QCOMPARE(bench.cached(6)->serialized(), edited);
        QVERIFY(editor.saveButton()->isEnabled());
        QVERIFY(editor.canUndo());
        QCOMPARE(bench.stored(6), test::hexText(occupied(8)[6]));
        // Save As into the empty slot 9, which the pedal refuses too: nothing moves.
        editor.saveAsNewPreset();
        QTRY_COMPARE(posted.count(), 2);
        QCOMPARE(editor.notice()->notice(),
                 QStringLiteral("Preset 07 could not be saved; your changes are kept."));
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(6));
        QVERIFY(bench.cached(6)->dirty());
        QVERIFY(bench.cached(8)->empty() && !bench.cached(8)->dirty());
        QCOMPARE(bench.stored(8), std::string());
        // A refused erasure is said as well, and the slot keeps its preset.
        editor.deletePreset();
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QTRY_COMPARE(posted.count(), 3);
        QCOMPARE(editor.notice()->notice(), QStringLiteral("Preset 07 could not be deleted."));
        QVERIFY(!bench.cached(6)->empty());
        QCOMPARE(bench.stored(6), test::hexText(occupied(8)[6]));
        // A refused effect switch keeps the lamp as it was.
        const bool lamp = editor.bypassLight()->on();
        editor.effectFootswitchClicked();
        QTRY_COMPARE(posted.count(), 4);
        QCOMPARE(editor.notice()->notice(),
                 lamp ? QStringLiteral("The effect could not be switched off.")
                      : QStringLiteral("The effect could not be switched on."));
        QCOMPARE(editor.bypassLight()->on(), lamp);
    }

    void slotsCannotChangeWhileThePedalRefreshes() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(1);
        edit(editor, "levelDry", 90);
        harbrix::presets(bench.device).setRefreshing(true);
        editor.savePreset();
        QVERIFY(refusedForRefresh());
        editor.saveAsNewPreset();
        QVERIFY(refusedForRefresh());
        editor.deletePreset();
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QVERIFY(refusedForRefresh());
        bench.settle();
        QCOMPARE(bench.stored(1), test::hexText(occupied(3)[1]));
        QCOMPARE(bench.stored(3), std::string());
        harbrix::presets(bench.device).setRefreshing(false);
    }

    void deleteAsksFirst() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(1);
        QVERIFY(editor.deleteButton()->isEnabled());
        QTest::mouseClick(editor.deleteButton(), Qt::LeftButton);
        const ui::Alert* question = test::waitForAlert();
        QVERIFY(question != nullptr);
        // Worded as the Transfers screen's delete question.
        QCOMPARE(question->headline(), QStringLiteral("Delete 1 preset from the pedal?"));
        QCOMPARE(question->finePrint(), QStringLiteral("Edit > Undo puts it back."));
        QVERIFY(test::pressOnAlert(Qt::Key_Escape));
        bench.settle();
        QVERIFY(!bench.stored(1).empty());
        QTest::mouseClick(editor.deleteButton(), Qt::LeftButton);
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QTRY_VERIFY(bench.cached(1)->empty());
        QCOMPARE(bench.stored(1), std::string());
        QTRY_COMPARE(editor.table()->row(1)->accessibleName(), QStringLiteral("Preset 02, Empty"));
        QVERIFY(!editor.deleteButton()->isEnabled());
        // The delete is in the pedal's journal: the Transfers screen's Undo puts it back.
        QWidget transfersView;
        TransfersUndo undo(bench.device, &transfersView, [](const std::string&) {});
        QTRY_COMPARE(undo.undoAction()->text(), QStringLiteral("Undo Delete"));
        undo.undo();
        QTRY_COMPARE(bench.stored(1), test::hexText(occupied(3)[1]));
        QTRY_COMPARE(editor.table()->row(1)->accessibleName(), QStringLiteral("Preset 02, P02"));
    }

    void revertUndoAndRedo() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        const Bytes saved = bench.cached(0)->serialized();
        edit(editor, "levelDry", 10);
        edit(editor, "levelDry", 20);
        editor.undoPresetChanges();
        QCOMPARE(bench.cached(0)->value("levelDry"), 13);
        QVERIFY(editor.redoButton()->isEnabled());
        QVERIFY(editor.validateCommand(Screen::Command::redo));
        editor.redoPresetChanges();
        QCOMPARE(bench.cached(0)->value("levelDry"), 25);
        QTest::mouseClick(editor.revertButton(), Qt::LeftButton);
        QCOMPARE(bench.cached(0)->serialized(), saved);
        QVERIFY(!editor.canUndo() && !editor.canRedo());
        QVERIFY(!editor.revertButton()->isEnabled());
        QVERIFY(!editor.saveButton()->isEnabled());
    }

    // A row scrolled away from under a resting pointer is unmarked as soon as another row
    // is entered; a raised shield keeps rows from lighting up at all.
    void hoverFollowsThePointerThroughScrolling() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        EditorPresetsTableCellView* first = editor.table()->row(1);
        EditorPresetsTableCellView* second = editor.table()->row(2);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(first, &enter);
        QCOMPARE(first->backgroundName(), QStringLiteral("EDITOR_preset_slot_hover"));
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(first, &wheel);
        QCoreApplication::sendEvent(second, &enter);
        QVERIFY(!first->hovering());
        QCOMPARE(first->backgroundName(), QStringLiteral("EDITOR_preset_slot_full"));
        QVERIFY(second->hovering());
        QVERIFY(editor.table()->scrolledRows().empty());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(second, &leave);
        QVERIFY(!second->hovering());
        Shield* shield = Shield::beginShieldedModalForWindow(bench.window.get());
        QCoreApplication::sendEvent(first, &enter);
        QVERIFY(!first->hovering());
        shield->end();
    }

    // Nothing works on a slot whose contents are not known, and nothing crashes either.
    void unknownSlotsAreLeftAlone() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3), {}, {0}));
        MIV3Editor& editor = *bench.editor;
        QTest::mouseClick(editor.table()->row(2), Qt::LeftButton);
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(2));
        QVERIFY(!editor.selectedPreset());
        edit(editor, "levelDry", 50);
        editor.savePreset();
        editor.saveAsNewPreset();
        editor.presetDownFootswitchClicked();
        QCOMPARE(editor.selectedRow(), std::optional<std::size_t>(2));
        QVERIFY(!editor.saveButton()->isEnabled());
        QVERIFY(!editor.deleteButton()->isEnabled());
        QCOMPARE(editor.status()->subtitle()->text(), QStringLiteral("[not read yet]"));
        // The slot's read arrives: the row and the screen show it.
        railSync(bench.device->queue(), [&] { harbrix::presets(bench.device).refreshPreset(2); });
        QTRY_COMPARE(editor.table()->row(2)->accessibleName(), QStringLiteral("Preset 03, P03"));
        QTRY_COMPARE(editor.status()->title()->text(), QStringLiteral("03 P03"));
    }

    // Last, as it leaves the journal's last problem behind: a save or delete the journal
    // cannot take asks first, and changes the pedal only on Continue.
    void withoutTheJournalTheUserChooses() {
        test::EditorBench bench;
        QVERIFY(bench.start(occupied(3)));
        MIV3Editor& editor = *bench.editor;
        const std::string folder = journalDirectory();
        std::filesystem::create_directories(folder);
        std::filesystem::rename(folder, folder + ".away");
        test::writeText(folder, "not a folder");
        editor.selectPreset(1);
        edit(editor, "levelDry", 90);
        const Bytes edited = bench.cached(1)->serialized();
        const QString headline = QStringLiteral(
            "Undo is not available: the journal could not be written (not a directory). Change "
            "the pedal anyway?");
        editor.savePreset();
        const ui::Alert* question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QCOMPARE(question->headline(), headline);
        QVERIFY(test::answerAlert(ui::Alert::kCancel));
        bench.settle();
        QCOMPARE(bench.stored(1), test::hexText(occupied(3)[1]));
        QVERIFY(bench.cached(1)->dirty());
        editor.savePreset();
        QVERIFY(test::answerAlert(QStringLiteral("Continue")));
        QTRY_COMPARE(bench.stored(1), test::hexText(edited));
        QTRY_VERIFY(!bench.cached(1)->dirty());
        // The delete question is the journal's from the start.
        editor.deletePreset();
        question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QCOMPARE(question->headline(), headline);
        QVERIFY(test::answerAlert(QStringLiteral("Continue")));
        QTRY_COMPARE(bench.stored(1), std::string());
        std::filesystem::remove(folder);
        std::filesystem::rename(folder + ".away", folder);
    }
};

QTEST_MAIN(EditorQtTest)
#include "EditorQtTest.moc"
