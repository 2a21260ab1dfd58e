// The MIV III editor against the simulated pedal: value rules and breakout labels, dragging,
// status clicks, switches and their twins, undo, and the screenshots of the screen.
#include <QLabel>

#include <QTest>
#include <fstream>

#include "EditorHarness.h"
#include "devices/PresetParameters.h"
#include "devices/PresetStore.h"
#include "editor/Detail.h"
#include "editor/DetailStack.h"
#include "editor/Light.h"
#include "editor/Switch.h"
#include "shell/MIV3Status.h"
#include "shell/Notice.h"
#include "shell/QtMainRail.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"
#include "ui/Label.h"

using namespace harbrix;
using test::presetNamed;

namespace {

// The breakout label mirroring a key.
QLabel* twinLabel(MIV3Editor& editor, const std::string& key) {
    for (const auto& reflection : editor.reflections().at(key))
        if (auto* label = qobject_cast<QLabel*>(reflection->breakout())) return label;
    return nullptr;
}

Switch* twinSwitch(MIV3Editor& editor, const std::string& key) {
    return qobject_cast<Switch*>(editor.reflections().at(key).front()->breakout());
}

// Clicks the label of a status group that shows `text`; false when none does.
bool clickStatus(StatusGroup* group, const QString& text) {
    for (int index = 0; index <= 5; ++index) {
        if (!group->label(index)->isVisible() || group->label(index)->text() != text) continue;
        QTest::mouseClick(group->label(index), Qt::LeftButton);
        return true;
    }
    return false;
}

}  // namespace

class MIV3EditorQtTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void everyKeyIsBoundOnceWithItsTwins() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead")}}));
        MIV3Editor& editor = *bench.editor;
        for (const auto& parameter : parameters::table())
            QVERIFY2(editor.control(std::string(parameter.key)) != nullptr,
                     std::string(parameter.key).c_str());
        QCOMPARE(editor.syncables().size(), parameters::table().size());
        // Switch twins are switches; level twins are labels; "#masterVolume|heading" is a
        // second twin of the master volume.
        QVERIFY(twinSwitch(editor, "dryAttack") != nullptr);
        QVERIFY(twinLabel(editor, "levelDry") != nullptr);
        QCOMPARE(editor.reflections().at("masterVolume").size(), std::size_t(2));
    }

    // Identifiers the walks must skip: more than one "|", an empty key, a key nothing binds,
    // and the later of two controls carrying one key wins.
    void unusableIdentifiersAreIgnored() {
        QWidget view;
        auto make = [&view](const QString& id, bool isSwitch = false) -> QWidget* {
            QWidget* w = isSwitch ? static_cast<QWidget*>(new Switch(&view))
                                  : new ui::Label(QString(), ui::fonts::Weight::Regular, 11,
                                                  Qt::white, &view);
            w->setProperty("identifier", id);
            return w;
        };
        make(QStringLiteral("$left"), true);
        QWidget* later = make(QStringLiteral("$ le ft"), true);
        static_cast<Switch*>(later)->setAction([](Switch*) {});
        make(QStringLiteral("$"));
        QWidget* twin = make(QStringLiteral("#left|a"), true);
        make(QStringLiteral("#left|a|b"), true);
        make(QStringLiteral("#|x"), true);
        make(QStringLiteral("#right"), true);
        MIV3Editor::Syncables syncables;
        MIV3Editor::collectSyncables(syncables, &view);
        QCOMPARE(syncables.size(), std::size_t(1));
        QCOMPARE(syncables.at("left"), later);
        MIV3Editor::Reflections reflections;
        MIV3Editor::collectReflections(reflections, &view, syncables);
        QCOMPARE(reflections.size(), std::size_t(1));
        QCOMPARE(reflections.at("left").size(), std::size_t(1));
        QCOMPARE(reflections.at("left").front()->breakout(), twin);
    }

    void fadersStoreSevenBitValuesAndShowTheirCaps() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead")}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        auto* fader = qobject_cast<ui::Fader*>(editor.control("levelDry"));
        const auto preset = bench.cached(0);
        const struct {
            double percentage;
            int value;
        } cases[] = {{50, 64}, {0.39, 0}, {0.4, 1}, {100, 127}};
        for (const auto& c : cases) {
            fader->delegate()->fader(fader, true, c.percentage);
            QCOMPARE(preset->value("levelDry"), c.value);
            QCOMPARE(fader->accessibleName(), QStringLiteral("Dry Level: %1").arg(c.value));
        }
        QCOMPARE(twinLabel(editor, "levelDry")->text(), QStringLiteral("Dry: 127"));
        // The cap of the largest threshold not above the position; 95 and up is the top cap.
        const auto caps = editor.capAssetsAndThresholds(fader);
        fader->setDoubleValue(94.9);
        QCOMPARE(fader->currentCap().cacheKey(), caps.at(75).cacheKey());
        fader->setDoubleValue(95);
        QCOMPARE(fader->currentCap().cacheKey(), caps.at(95).cacheKey());
    }

    void signedBreakoutLabelsCountFromTheCentre() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead")}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        auto* knob = qobject_cast<ui::Knob*>(editor.control("panP1"));
        QVERIFY(knob->plusOrMinus());
        const struct {
            int value;
            const char* label;
        } cases[] = {{64, "+1 Oct: Ctr"}, {70, "+1 Oct: +6"}, {60, "+1 Oct: -4"}};
        for (const auto& c : cases) {
            bench.cached(0)->setValue("panP1", c.value);
            editor.sync();
            QCOMPARE(twinLabel(editor, "panP1")->text(), QString::fromUtf8(c.label));
        }
        QCOMPARE(knob->doubleValue(), parameters::percentageForValue(60));
        // A stored 64 puts the control at 50.39 %.
        bench.cached(0)->setValue("panP1", 64);
        editor.sync();
        QVERIFY(std::abs(knob->doubleValue() - 50.3937) < 1e-3);
        QCOMPARE(knob->accessibleName(), QStringLiteral("+1 Oct Pan: 64"));
    }

    // Dragging moves the breakout label only; letting go stores the value as one undo step,
    // and names an unnamed preset after its slot.
    void draggingChangesOnlyTheLabelUntilRelease() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead")}, {6, presetNamed("")}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(6);
        const auto preset = bench.cached(6);
        const Bytes before = preset->serialized();
        auto* fader = qobject_cast<ui::Fader*>(editor.control("levelP5th"));
        QLabel* label = twinLabel(editor, "levelP5th");
        const QString resting = label->text();
        QTest::mousePress(fader, Qt::LeftButton, {}, QPoint(22, fader->height() - 12));
        QTest::mouseMove(fader, QPoint(22, 40));
        QVERIFY(label->text() != resting);
        QCOMPARE(preset->serialized(), before);
        QVERIFY(!preset->canUndo());
        QVERIFY(!editor.undoButton()->isEnabled());
        QTest::mouseRelease(fader, Qt::LeftButton, {}, QPoint(22, 40));
        const int stored = *preset->value("levelP5th");
        QCOMPARE(stored, parameters::valueForPercentage(fader->doubleValue()));
        QCOMPARE(label->text(), QStringLiteral("+5th: %1").arg(stored));
        QCOMPARE(preset->name(), std::string("User Preset 07"));
        QVERIFY(editor.undoButton()->isEnabled());
        QVERIFY(editor.saveButton()->isEnabled());
        QCOMPARE(editor.status()->title()->text(), QStringLiteral("07 User Preset 07"));
        editor.undoPresetChanges();
        QVERIFY(!preset->canUndo());
        QCOMPARE(*preset->value("levelP5th"), int(before[46] >> 1));
        QCOMPARE(label->text(), resting);
    }

    // "Attack" in the status panel is the dry attack switch: the switch, its twin and the
    // highlight change together, in one undo step; the compressed panel's "Atk" does the same.
    void statusLabelsToggleTheirSwitch() {
        test::EditorBench bench;
        QVERIFY(bench.start({{2, presetNamed("Pad", 0)}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(2);
        const auto preset = bench.cached(2);
        auto* main = qobject_cast<Switch*>(editor.control("dryAttack"));
        StatusGroup* dry = editor.status()->dryGroup();
        QVERIFY(clickStatus(dry, QStringLiteral("Attack")));
        QCOMPARE(preset->value("dryAttack"), 1);
        QVERIFY(main->isChecked());
        QVERIFY(twinSwitch(editor, "dryAttack")->isChecked());
        QCOMPARE(dry->highlights(), StatusGroup::kTitle | StatusGroup::kItem1);
        QCOMPARE(main->accessibleName(), QStringLiteral("Attack: on"));
        editor.undoPresetChanges();
        QVERIFY(!preset->canUndo());
        QCOMPARE(preset->value("dryAttack"), 0);
        QVERIFY(!main->isChecked());
        QVERIFY(!twinSwitch(editor, "dryAttack")->isChecked());

        // The twin clicked: the main switch follows, the preset hears it once.
        QTest::mouseClick(twinSwitch(editor, "left"), Qt::LeftButton);
        QCOMPARE(preset->value("left"), 1);
        QVERIFY(qobject_cast<Switch*>(editor.control("left"))->isChecked());
        preset->undo();
        QVERIFY(!preset->canUndo());

        editor.status()->compress();
        QVERIFY(clickStatus(dry, QStringLiteral("Atk")));
        QCOMPARE(preset->value("dryAttack"), 1);
        QVERIFY(clickStatus(editor.status()->EXPGroup(), QStringLiteral("EXP:")));
        QCOMPARE(preset->value("exp"), 1);
    }

    void breakoutPanelOpensWhereThePedalWas() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead")}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        const int pedalX = editor.simulatorArea()->x();
        QVERIFY(!editor.breakoutBox()->isVisible());
        QTest::mouseClick(editor.status()->compressButton(), Qt::LeftButton);
        QVERIFY(editor.status()->compressed());
        QVERIFY(editor.breakoutBox()->isVisible());
        QVERIFY2(editor.simulatorArea()->x() >= 1100, "the picture makes room");
        // Sections start closed, stacked one header apart; opening one moves the rest down.
        auto& details = editor.breakoutBox()->details();
        QVERIFY(details.size() >= 2);
        const int second = details[1]->y();
        QCOMPARE(second, details[0]->y() + Detail::kHeaderHeight);
        QTest::mouseClick(details[0]->toggle(), Qt::LeftButton);
        QVERIFY(details[0]->content()->isVisible());
        QCOMPARE(details[1]->y(), second + details[0]->contentHeight());
        editor.closeDetailStackAndExpandStatus();
        QVERIFY(!editor.status()->compressed());
        QVERIFY(!editor.breakoutBox()->isVisible());
        QCOMPARE(editor.simulatorArea()->x(), pedalX);
    }

    void pedalPictureFollowsThePedal() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Lead~1")}, {1, presetNamed("Solo")}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0, true);
        bench.settle();
        QCOMPARE(editor.oledTitle()->text(), QStringLiteral("01 Lead1"));
        QCOMPARE(editor.status()->title()->text(), QStringLiteral("01 Lead\uF8881"));
        QVERIFY(editor.presetLoadedLight()->on());
        // The effect footswitch switches the effect and its lamp.
        const bool before = editor.bypassLight()->on();
        QTest::mouseClick(editor.effectFootswitch(), Qt::LeftButton);
        bench.settle();
        QCOMPARE(editor.bypassLight()->on(), !before);
        // The encoder re-selects the pedal's own slot.
        railSync(bench.device->queue(), [&] { presets(bench.device).select(1); });
        QTest::mouseClick(editor.navcoder(), Qt::LeftButton);
        bench.settle();
        QCOMPARE(bench.pedalSelection(), std::optional<std::uint8_t>(1));
    }

    // Each edit shows the loaded lamp again, but a burst of edits asks the pedal only while
    // no question is out, so the pedal's queue stays free for saves.
    void aBurstOfEditsAsksThePedalLittle() {
        test::EditorBench bench;
        const std::string record = bench.folder.file("record");
        QVERIFY(bench.start({{0, presetNamed("Lead")}}, {"--record", record, "--latency", "20"}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(0);
        bench.settle();
        const auto questions = [&record] {
            std::ifstream file(record);
            std::string line;
            int count = 0;
            while (std::getline(file, line)) count += line.rfind("GET_PRESET ", 0) == 0 ? 1 : 0;
            return count;
        };
        const int before = questions();
        auto* fader = qobject_cast<ui::Fader*>(editor.control("levelDry"));
        for (int step = 1; step <= 20; ++step) fader->delegate()->fader(fader, true, step * 5);
        // Every question asked has been answered, and the answers asked nothing more.
        for (int round = 0; round < 3; ++round) bench.settle();
        QTRY_VERIFY(questions() - before >= 1);
        QVERIFY2(questions() - before <= 2, qPrintable(QString::number(questions() - before)));
        QVERIFY(editor.presetLoadedLight()->on());
    }

    void screenshots() {
        test::EditorBench bench;
        QVERIFY(bench.start({{0, presetNamed("Clean Octaves")},
                             {1, presetNamed("Whammy~Dive", 0x30)},
                             {2, presetNamed("", 0x50)},
                             {3, presetNamed("Detuned Lead", 0x22)}}));
        MIV3Editor& editor = *bench.editor;
        editor.selectPreset(1, true);
        bench.settle();
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("named-preset")));
        editor.selectPreset(2, true);
        bench.settle();
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("unnamed-preset")));
        editor.selectPreset(4, true);
        auto* fader = qobject_cast<ui::Fader*>(editor.control("levelM1"));
        fader->delegate()->fader(fader, true, 80);
        QVERIFY(clickStatus(editor.status()->outputGroup(), QStringLiteral("Left")));
        bench.settle();
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("dirty-preset")));
        editor.selectPreset(3, true);
        bench.settle();
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("status-expanded")));
        QTest::mouseClick(editor.status()->compressButton(), Qt::LeftButton);
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("status-compressed")));
        auto& details = editor.breakoutBox()->details();
        details[0]->openClose(true);
        details[1]->openClose(true);
        details[2]->openClose(true);
        QVERIFY(test::saveShot(bench.window.get(), QStringLiteral("breakout-open")));
    }
};

QTEST_MAIN(MIV3EditorQtTest)
#include "MIV3EditorQtTest.moc"
