// The whole application used at random, as a restless user with two pedals would: real
// discovery, two simulated MIV3s, and random clicks, drags (with and without Alt), renames,
// deletions, saves, reverts, knob and fader moves, page and tab changes, Undo and Redo, the
// chooser and Maintenance > Reboot, all through synthesized input on the window. Questions
// are answered, dismissed or left open. Meanwhile the pedals are unplugged, plugged back and
// restarted at random moments, a question or a drag open or not. The application must not
// crash, a question must go with its pedal, and in the end every pedal must hold what its
// journal says the user did: undoing every entry, as harbrixctl undo does, puts back the
// slots it started with.
//
// HARBRIX_RANDOM_SEED (default 20) and HARBRIX_RANDOM_SECONDS (default 60) choose the run;
// a longer run checks the pedals against their journals once a minute. The seed and the
// last actions are printed on failure; HARBRIX_RANDOM_VERBOSE prints every action.
#include <QDir>
#include <QTest>

#include <deque>
#include <fstream>
#include <random>
#include <set>

#include "ShellHarness.h"
#include "editor/EditorPresetsTable.h"
#include "editor/EditorPresetsTableCellView.h"
#include "editor/MIV3Editor.h"
#include "settings/MIV3Settings.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/Selector.h"
#include "shell/Window.h"
#include "support/ShownAlerts.h"
#include "support/SimulatedApplication.h"
#include "transfers/TransfersHarness.h"
#include "ui/Fader.h"
#include "ui/ImageButton.h"
#include "ui/Knob.h"
// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/DeviceRegistry.h"
#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/PresetStore.h"
#pragma pop_macro("slots")

using namespace harbrix;

namespace {

constexpr int kConnectMs = 30000;
using Slots = std::map<std::string, std::string>;  // "0".."99" -> hex; empty slots absent

unsigned setting(const char* name, unsigned fallback) {
    bool ok = false;
    const unsigned value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

Slots stored(const std::string& state) {
    Slots held;
    const auto json = nlohmann::json::parse(test::readText(state), nullptr, false);
    if (json.is_discarded() || !json.contains("presets")) return held;
    for (const auto& [slot, hex] : json["presets"].items()) held[slot] = hex.get<std::string>();
    return held;
}

// A slot as a person reading the log tells it apart: empty, or its name and some bytes.
std::string told(const Slots& held, const std::string& slot) {
    const auto it = held.find(slot);
    if (it == held.end()) return "empty";
    std::string name;
    for (std::size_t i = 0; i + 1 < it->second.size() && i < 32; i += 2)
        name += char(std::stoi(it->second.substr(i, 2), nullptr, 16));
    return "\"" + name + "\" " + it->second.substr(32, 24) + "...";
}

// Each slot that differs, start against end.
std::string differences(const Slots& start, const Slots& end) {
    std::set<std::string> all;
    for (const auto* held : {&start, &end})
        for (const auto& [slot, hex] : *held) all.insert(slot);
    std::string text;
    for (const std::string& slot : all) {
        const auto a = start.find(slot), b = end.find(slot);
        if (a != start.end() && b != end.end() && a->second == b->second) continue;
        text += "\n  slot " + std::to_string(std::stoi(slot) + 1) + ": started " +
                told(start, slot) + ", ends " + told(end, slot);
    }
    return text;
}

#pragma push_macro("slots")
#undef slots
std::string slotsOf(const JournalEntry& entry) {
    std::vector<std::size_t> planned;
    for (const SlotChange& change : entry.slots) planned.push_back(change.slot);
    std::string text = "[" + slotNumbers(planned);
    if (entry.changed)
        text += " changed " + slotNumbers({entry.changed->begin(), entry.changed->end()});
    return text + "]";
}
#pragma pop_macro("slots")

struct Pedal {
    std::string serial;
    std::string state;
    Slots start;
    std::unique_ptr<test::Simulator> simulator;
};

}  // namespace

class RandomUseQtTest : public QObject {
    Q_OBJECT
    test::TempDir folder{"random-use"};
    test::TempDir home{"random-use-home"};
    unsigned seed = setting("HARBRIX_RANDOM_SEED", 20);
    std::mt19937 random{seed};
    std::deque<std::string> recent;  // the last actions, for a failure's report
    std::map<std::string, int> counts;
    std::unique_ptr<AppDelegate> app;
    std::vector<Pedal> pedals;
    std::unique_ptr<test::Dragging> dragging;

    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    }
    bool chance(int percent) { return int(pick(100)) < percent; }
    template <typename T>
    T* any(const QList<T*>& items) {
        return items.isEmpty() ? nullptr : items[int(pick(std::size_t(items.size())))];
    }
    void note(const std::string& action) {
        if (qEnvironmentVariableIsSet("HARBRIX_RANDOM_VERBOSE")) qInfo("%s", action.c_str());
        ++counts[action.substr(0, action.find(' '))];
        recent.push_back(action);
        if (recent.size() > 60) recent.pop_front();
    }

    QWidget* window() const { return app->window(); }
    QWindow* handle() const { return app->window()->windowHandle(); }
    Transfers* transfers() const {
        return dynamic_cast<Transfers*>(app->screens().currentController().get());
    }
    Editor* editor() const {
        return dynamic_cast<Editor*>(app->screens().currentController().get());
    }
    bool usable(QWidget* widget) const {
        return widget != nullptr && widget->isVisible() && widget->isEnabled();
    }

    // Input goes through the window, as the platform delivers it: whatever lies on top at
    // that point takes it, and an open question blocks it.
    void click(QWidget* widget, QPoint at = QPoint(-1, -1), Qt::KeyboardModifiers keys = {}) {
        if (!usable(widget)) return;
        if (at.x() < 0) at = widget->rect().center();
        QTest::mouseClick(handle(), Qt::LeftButton, keys, widget->mapTo(window(), at));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers keys = {}) {
        QTest::keyClick(handle(), key, keys);
    }
    // Presses on a point of the widget, moves to another and releases there.
    void stroke(QWidget* widget, QPoint from, QPoint to) {
        const QPoint a = widget->mapTo(window(), from);
        const QPoint b = widget->mapTo(window(), to);
        QTest::mousePress(handle(), Qt::LeftButton, {}, a);
        QTest::mouseMove(handle(), (a + b) / 2);
        QTest::mouseMove(handle(), b);
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, b);
    }

    // ---- The pedals
    bool allBack() const {
        if (app->pedals().connected().size() != pedals.size()) return false;
        for (const DeviceRef& device : app->pedals().connected())
            if (device->restarting() || harbrix::presets(device).refreshing()) return false;
        return true;
    }
    DeviceRef connectedWithSerial(const std::string& serial) const {
        for (const DeviceRef& device : app->pedals().connected())
            if (device->serial() == serial) return device;
        return nullptr;
    }
    bool answering(const std::string& serial) const {
        const DeviceRef device = connectedWithSerial(serial);
        return device != nullptr && !device->line().silent();
    }
    void pedalEvent() {
        Pedal& pedal = pedals[pick(pedals.size())];
        const DeviceRef device = connectedWithSerial(pedal.serial);
        const bool onScreen = device && test::shownDevice(*app) == device;
        const QPointer<ui::Alert> question = test::shownAlert();
        const std::size_t how = pick(10);
        if (how < 5) {
            note("unplug " + pedal.serial);
            QVERIFY(pedal.simulator->replug());
        } else if (how < 9) {
            note("restart " + pedal.serial);
            QVERIFY(pedal.simulator->restartPedal());
        } else {
            note("pull " + pedal.serial);
            QVERIFY2(pedal.simulator->restart(), pedal.simulator->error().c_str());
        }
        if (how >= 5 || !onScreen || !question) return;
        // A question on the screen of a pedal that leaves goes with it.
        if (QTest::qWaitFor([&] { return connectedWithSerial(pedal.serial) != device; }, 2000)) {
            note("question left with its pedal");
            QTRY_VERIFY2(question.isNull() || !question->isVisible(),
                         "a question stayed open after its pedal left");
        }
    }

    // ---- Questions
    void answer() {
        ui::Alert* alert = test::shownAlert();
        if (alert == nullptr) return;
        QStringList choices = alert->buttonTitles();
        if (alert->invisibleCancel()) choices << QStringLiteral("Escape");
        const QString choice = choices[int(pick(std::size_t(choices.size())))];
        note("answer " + choice.toStdString() + " to \"" + alert->headline().toStdString() + "\"");
        if (choice == QLatin1String("Escape"))
            QVERIFY(test::pressOnAlert(Qt::Key_Escape));
        else
            QVERIFY(test::answerAlert(choice));
    }

    // ---- The header: tabs, the chooser, Undo and Redo, Reboot
    void header() {
        const std::size_t what = pick(10);
        if (what < 4) {
            ui::ToggleButton* tabs[] = {
                app->screens().transfersTabButton(), app->screens().transfersTabButton(),
                app->screens().editorTabButton(), app->screens().settingsTabButton()};
            ui::ToggleButton* tab = tabs[pick(4)];
            note("tab " + tab->accessibleName().toStdString());
            click(tab);
        } else if (what < 6) {
            note("chooser");
            click(app->header().selectorButton());
            if (!app->header().selectorOpen()) return;
            const auto buttons = app->header().selector()->buttons();
            if (!buttons.empty() && chance(80)) {
                QAbstractButton* chosen = buttons[pick(buttons.size())];
                note("choose " + chosen->accessibleName().toStdString());
                click(chosen);
            } else {
                click(app->header().selectorButton());
            }
        } else if (what < 9) {
            const bool redo = chance(40);
            note(redo ? "redo" : "undo");
            press(Qt::Key_Z, redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        } else if (app->maintenance().debugMenuItem() != nullptr && chance(30)) {
            for (QAction* action : app->maintenance().debugMenuItem()->actions()) {
                if (action->text() != QLatin1String("Reboot") || !action->isEnabled()) continue;
                note("reboot");
                action->trigger();
            }
        }
    }

    // ---- Transfers
    // One of the slots, half the time one of the first twelve, which the Editor's actions
    // pick from as well, so that drafts are run into.
    Slot* anySlot(const std::vector<Slot*>& among) {
        std::vector<Slot*> first;
        for (Slot* slot : among)
            if (slot->number() <= 12) first.push_back(slot);
        const auto& from = first.empty() || chance(50) ? among : first;
        return from[pick(from.size())];
    }
    void onTransfers(Transfers& screen) {
        const auto visible = screen.visibleSlots();
        if (visible.empty()) return;
        Slot* slot = anySlot(visible);
        const std::size_t what = pick(20);
        if (what < 6) {
            std::vector<Slot*> occupied;
            for (Slot* each : visible)
                if (each->occupied()) occupied.push_back(each);
            if (occupied.empty()) return;
            slot = anySlot(occupied);
            note("drag " + std::to_string(slot->number()));
            drag(slot);
        } else if (what < 8) {
            note("select " + std::to_string(slot->number()));
            click(slot->clickArea(), QPoint(-1, -1),
                  chance(30) ? Qt::ShiftModifier : Qt::NoModifier);
        } else if (what < 10) {
            note("delete");
            if (screen.selected().empty()) click(slot->clickArea());
            // The click may have let a pedal's leaving through: ask for the screen again.
            if (Transfers* shown = transfers()) click(shown->deleteButton());
        } else if (what < 12) {
            note("rename " + std::to_string(slot->number()));
            QTest::mouseDClick(
                handle(), Qt::LeftButton, {},
                slot->clickArea()->mapTo(window(), slot->clickArea()->rect().center()));
            Transfers* shown = transfers();
            if (!shown || !shown->editor() || !shown->editor()->isVisible()) return;
            shown->editor()->setText(QStringLiteral("Random %1").arg(pick(1000)));
            press(chance(80) ? Qt::Key_Return : Qt::Key_Escape);
        } else if (what < 14) {
            ui::ToggleButton* sizes[] = {screen.button20(), screen.button50(), screen.button100()};
            note("page size");
            click(sizes[pick(3)]);
        } else if (what < 16) {
            note("page tab");
            if (TransfersTabs* strip = screen.tabs(); strip && !strip->tabs().empty())
                click(strip->tabs()[pick(strip->tabs().size())]);
        } else if (what < 18) {
            note("select all");
            click(chance(50) ? screen.selectAllButton() : screen.deselectAllButton());
        } else {
            note("escape");
            press(Qt::Key_Escape);
        }
    }

    // Press on a slot, wander over others with and without Alt, and drop on one, outside, or
    // after the pedal has been unplugged or restarted under the drag.
    void drag(Slot* from) {
        if (!from->occupied() || !dragging->start(from)) return;
        for (std::size_t hops = 1 + pick(3); hops > 0; --hops) {
            Transfers* shown = transfers();
            if (!shown || shown->visibleSlots().empty()) break;
            dragging->moveOver(anySlot(shown->visibleSlots()),
                               chance(40) ? Qt::AltModifier : Qt::NoModifier);
            QTest::qWait(int(pick(60)));
        }
        if (chance(15)) {
            pedalEvent();
            QTest::qWait(int(pick(1500)));
        }
        if (chance(10)) dragging->leave();
        note(dragging->drop(chance(40) ? Qt::AltModifier : Qt::NoModifier) ? "drop"
                                                                           : "drop nothing");
    }

    // ---- The Editor
    void onEditor(Editor& screen) {
        const std::size_t what = pick(20);
        if (what < 4) {
            const std::size_t row = pick(std::min<std::size_t>(12, screen.numberOfRows()));
            note("row " + std::to_string(row + 1));
            if (QWidget* cell = screen.table()->row(row)) click(cell);
        } else if (what < 9) {
            const auto knobs = screen.view()->findChildren<ui::Knob*>();
            ui::Knob* knob = any(knobs);
            if (!usable(knob)) return;
            note("knob");
            click(knob, QPoint(int(pick(std::size_t(knob->width()))),
                               int(pick(std::size_t(knob->height())))));
        } else if (what < 13) {
            ui::Fader* fader = any(screen.view()->findChildren<ui::Fader*>());
            if (!usable(fader)) return;
            note("fader");
            const int x = fader->width() / 2;
            stroke(fader, QPoint(x, fader->height() - 12),
                   QPoint(x, int(pick(std::size_t(fader->height())))));
        } else if (what < 15) {
            note("save");
            click(chance(70) ? screen.saveButton() : screen.saveAsButton());
        } else if (what < 16) {
            note("revert");
            click(screen.revertButton());
        } else if (what < 17) {
            note("editor delete");
            click(screen.deleteButton());
        } else if (what < 19) {
            note("editor undo");
            click(chance(60) ? screen.undoButton() : screen.redoButton());
        } else {
            note("footswitch");
            click(chance(50) ? screen.presetUpFootswitch() : screen.presetDownFootswitch());
        }
    }

    void onSettings() {
        auto* settings = dynamic_cast<MIV3Settings*>(app->screens().currentController().get());
        if (settings == nullptr) return;
        note("settings");
        if (chance(50)) {
            click(settings->nameCrawlCheckbox());
        } else if (ui::Slider* slider = settings->contrastSlider(); usable(slider)) {
            stroke(slider, QPoint(4, slider->height() / 2),
                   QPoint(int(pick(std::size_t(slider->width()))), slider->height() / 2));
        }
    }

    void step() {
        if (test::shownAlert() != nullptr) {
            // Answered mostly; otherwise left open while the pedal goes or input is refused.
            const std::size_t what = pick(100);
            if (what < 60) return answer();
            if (what < 75) return pedalEvent();
        }
        const std::size_t what = pick(100);
        if (what < 1) return pedalEvent();
        if (what < 16) return header();
        if (Transfers* screen = transfers()) return onTransfers(*screen);
        if (Editor* screen = editor()) return onEditor(*screen);
        onSettings();
    }

    // Once everything has settled: each pedal, every journal entry undone as harbrixctl
    // undo does it, holds what it started with.
    void checkAgainstJournals() {
        for (int round = 0; round < 20 && test::shownAlert() != nullptr; ++round) {
            if (!test::pressOnAlert(Qt::Key_Escape) || test::shownAlert() != nullptr)
                test::answerAlert(test::shownAlert()->buttonTitles().last());
            QTest::qWait(50);
        }
        QVERIFY2(test::shownAlert() == nullptr, "a question cannot be closed");
        QTRY_VERIFY_WITH_TIMEOUT(allBack(), 3 * kConnectMs);
        for (Pedal& pedal : pedals) {
            std::string made;  // what the journal holds, for the log
            if (const auto journal = Journal::forPedal("MIV3", pedal.serial))
                for (const JournalEntry& entry : journal->entries())
                    made += " " + entry.operation + slotsOf(entry) +
                            (entry.undone ? "(undone)" : "") +
                            (entry.finished() ? "" : "(unfinished)");
            qInfo("%s:%s", pedal.serial.c_str(), made.c_str());
            std::optional<JournalUndo::Result> failed;
            int undone = 0;
            // A pedal restarted by its owner just now is found so by the first request that
            // goes unanswered, and brought back; then the undo is tried again.
            for (int attempt = 0; attempt < 4; ++attempt) {
                QTRY_VERIFY_WITH_TIMEOUT(allBack() && answering(pedal.serial), 3 * kConnectMs);
                const DeviceRef device = connectedWithSerial(pedal.serial);
                failed.reset();
                railSync(device->queue(), [&] {
                    JournalUndo undo(*device, Journal::forDevice(*device));
                    for (;;) {
                        auto result = undo.undo();
                        if (result.outcome == JournalUndo::Result::Outcome::nothing) break;
                        if (!result.succeeded()) {
                            failed = std::move(result);
                            break;
                        }
                        ++undone;
                    }
                    harbrix::presets(device)
                        .isloaded();  // the pedal has saved its state by its answer
                });
                if (!failed || failed->outcome != JournalUndo::Result::Outcome::unreadable) break;
            }
            qInfo("%s: %d entries undone", pedal.serial.c_str(), undone);
            // The message is made whether or not the check fails.
            QVERIFY2(!failed, (pedal.serial + ": " + (failed ? failed->message : "")).c_str());
            const std::string differ = differences(pedal.start, stored(pedal.state));
            QVERIFY2(differ.empty(),
                     (pedal.serial + " does not hold what it started with:" + differ).c_str());
        }
    }

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(folder.file("dev"));
        QDir().mkpath(QString::fromStdString(folder.file("dev")));
        // Debug mode, for the maintenance menu.
        QDir().mkpath(QString::fromStdString(home.file("Desktop")));
        std::ofstream(home.file("Desktop/Harbrix.debug")) << "";
        qputenv("HOME", QByteArray::fromStdString(home.path()));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder.file("cache")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder.file("data")));
        qInfo("seed %u (HARBRIX_RANDOM_SEED), %u s (HARBRIX_RANDOM_SECONDS)", seed,
              setting("HARBRIX_RANDOM_SECONDS", 60));
    }

    void cleanup() {
        if (QTest::currentTestFailed()) {
            qInfo("seed %u; the last actions:", seed);
            for (const std::string& action : recent) qInfo("  %s", action.c_str());
        }
        dragging.reset();
        app.reset();
        pedals.clear();
        DeviceRegistry::resetRegistry();
    }

    void randomUseLosesNothing() {
        for (const std::string serial : {"RAND01", "RAND02"}) {
            Pedal pedal{serial, folder.file(serial + ".json"), {}, nullptr};
            std::map<std::size_t, Bytes> presets;
            for (std::size_t slot = 0; slot < 100; ++slot)
                if (chance(35))
                    presets[slot] = test::presetBytes(serial + " " + std::to_string(slot + 1),
                                                      std::uint8_t(pick(128)));
            nlohmann::json initial = nlohmann::json::object();
            for (const auto& [slot, bytes] : presets)
                initial[std::to_string(slot)] = test::hexText(bytes);
            test::writeText(pedal.state, nlohmann::json{{"presets", initial}}.dump());
            pedal.start = stored(pedal.state);
            pedal.simulator = std::make_unique<test::Simulator>(
                std::vector<std::string>{"--dir", folder.file("dev"), "--serial", serial, "--state",
                                         pedal.state, "--replug-ms", "800"});
            QVERIFY2(pedal.simulator->running(), pedal.simulator->error().c_str());
            pedals.push_back(std::move(pedal));
        }
        app = test::launchWithDiscovery();
        QVERIFY(app->maintenance().debugMenuItem() != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        window()->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(allBack(), kConnectMs);
        dragging = std::make_unique<test::Dragging>(window(), [this] { return transfers(); });

        using Clock = std::chrono::steady_clock;
        const auto seconds = std::chrono::seconds(setting("HARBRIX_RANDOM_SECONDS", 60));
        const auto end = Clock::now() + seconds;
        auto nextCheck = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < end) {
            step();
            if (QTest::currentTestFailed()) return;
            QTest::qWait(int(pick(120)));
            if (Clock::now() >= nextCheck && Clock::now() + std::chrono::seconds(30) < end) {
                note("check");
                checkAgainstJournals();
                if (QTest::currentTestFailed()) return;
                nextCheck = Clock::now() + std::chrono::seconds(60);
            }
        }
        note("check");
        checkAgainstJournals();
        for (const auto& [action, count] : counts) qInfo("%s: %d", action.c_str(), count);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    RandomUseQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RandomUseQtTest.moc"
