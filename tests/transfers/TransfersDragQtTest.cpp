// Drag and drop on the Transfers screen against a simulated pedal, made with the mouse and
// keys through the window: the operation each target and the Option (Alt) key offer, the drag
// picture over the window, the target's look and the status line while the pointer moves or
// rests, what each drop sends to the pedal and in which order, Swap and Move when the pedal
// refuses a write, a drop refused before anything is sent, and the pedal leaving mid-drag.
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

#include "TransfersHarness.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"

using namespace harbrix;
using test::Dragging;
using test::presetBytes;
using test::TransfersSession;
using Names = std::map<std::size_t, std::string>;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)},
    {1, presetBytes("Clean", 2)},
    {4, presetBytes("Crunch", 3)},
    {9, presetBytes("Hidden", 4)},
};

QString secondText(Transfers& screen) {
    return screen.statusMessage2()->isVisible() ? screen.statusMessage2()->text() : QString();
}

// A point between slots 1 and 26 (the first two columns at 100 per page).
QPoint gap(TransfersSession& session) {
    const QRect left = session.slot(0)->geometry();
    const QRect right = session.slot(25)->geometry();
    return QPoint((left.right() + right.left()) / 2, left.center().y());
}

// Checks a condition at the moment the window turns to the empty screen, its pedal gone:
// before the old screen has slid away.
struct WhenTheEmptyScreenShows : QObject {
    WhenTheEmptyScreenShows(TransfersSession& session, std::function<bool()> condition)
        : condition_(std::move(condition)) {
        session.app().screens().nothing()->view()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !held) held = condition_();
        return false;
    }
    std::optional<bool> held;

  private:
    std::function<bool()> condition_;
};

}  // namespace

class TransfersDragQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-drag"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void theTargetAndOptionChooseTheOperation() {
        // Slot 10 cannot be read: never a target.
        TransfersSession session(pedals.path(), kPresets, {"--error", "READ_PRESET@9=5"});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        TransfersBackground* body = screen.body();
        Dragging dragging(session);

        QVERIFY2(!dragging.start(session.slot(2)), "an empty slot cannot be dragged");
        QVERIFY2(!dragging.start(session.slot(9)), "nor one not read yet");
        QVERIFY(dragging.start(session.slot(0)));
        QCOMPARE(body->source(), session.slot(0));
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("blank"));
        QVERIFY(test::saveShot(dragging.shot(), QStringLiteral("drag-picture-blank")));

        const struct {
            std::size_t target;
            Qt::KeyboardModifiers modifiers;
            const char* operation;  // the status line's second text
            const char* image;
            const char* look;  // the target's background
        } steps[] = {
            {2, {}, "Move preset.", "move", "TRANSFERS_slot_100_hover"},
            {2, Qt::AltModifier, "Copy preset.", "copy", "TRANSFERS_slot_100_hover"},
            {2, Qt::AltModifier | Qt::ShiftModifier, "Move preset.", "move",
             "TRANSFERS_slot_100_hover"},
            {1, {}, "Swap preset.", "swap", "TRANSFERS_slot_100_hover_swap"},
            {1, Qt::AltModifier, "Overwrite preset.", "nuke", "TRANSFERS_slot_100_hover_overwrite"},
            {1, {}, "Swap preset.", "swap", "TRANSFERS_slot_100_hover_swap"},
        };
        for (const auto& step : steps) {
            const QByteArray where = QByteArray("onto slot ") +
                                     QByteArray::number(int(step.target + 1)) + " " +
                                     step.operation;
            dragging.moveOver(session.slot(step.target), step.modifiers);
            QVERIFY2(screen.statusMessage1()->text() == QStringLiteral("Stored Presets: 3"), where);
            QVERIFY2(secondText(screen) == QLatin1String(step.operation), where);
            QVERIFY2(screen.statusMessage2()->font().italic(), where);
            QVERIFY2(body->dragImageSuffix() == QLatin1String(step.image), where);
            QCOMPARE(body->dragImageName(), QStringLiteral("Lead"));
            QVERIFY2(session.slot(step.target)->backgroundImage() == QLatin1String(step.look),
                     where);
            // The picture hangs below the pointer, showing the offer.
            DragOverlay* picture = body->overlay();
            QVERIFY2(picture->isVisible() && picture->suffix() == QLatin1String(step.image), where);
            QCOMPARE(picture->pointer(),
                     body->mapTo(session.window(), session.slot(step.target)->geometry().center()));
            QVERIFY(test::saveShot(dragging.shot(),
                                   QStringLiteral("drag-picture-") + QLatin1String(step.image)));
        }
        // Option pressed and released while the pointer rests on slot 2: the offer, the picture,
        // the target's look and the status line follow at once.
        for (const auto& [keys, operation, image] :
             {std::tuple{Qt::KeyboardModifiers(Qt::AltModifier), "Overwrite preset.", "nuke"},
              std::tuple{Qt::KeyboardModifiers(), "Swap preset.", "swap"}}) {
            dragging.hold(keys);
            QCOMPARE(secondText(screen), QLatin1String(operation));
            QCOMPARE(body->overlay()->suffix(), QLatin1String(image));
        }
        QCOMPARE(session.slot(1)->backgroundImage(),
                 QStringLiteral("TRANSFERS_slot_100_hover_swap"));
        // Leaving a target clears its look and the offer.
        dragging.moveOver(session.slot(9));
        QCOMPARE(body->operation(), TransferOperation::none);
        QCOMPARE(session.slot(1)->backgroundImage(), QStringLiteral("TRANSFERS_slot_100_full"));
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("move"));
        QCOMPARE(secondText(screen), QString());
        QCOMPARE(screen.statusMessage1()->text(), QStringLiteral("Stored Presets: 3"));

        dragging.moveOver(session.slot(0));
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("blank"));
        QCOMPARE(body->operation(), TransferOperation::none);
        dragging.moveTo(gap(session));
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("move"));
        QCOMPARE(body->operation(), TransferOperation::none);
        dragging.moveOver(session.slot(4));
        dragging.leave();
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("blank"));
        QCOMPARE(body->hovered(), nullptr);
        QVERIFY(dragging.drop() == false);
        QVERIFY(!body->dragging() && body->overlay()->isHidden());

        // Drops that run nothing: between slots, on the source, on a slot not read.
        const Names before = session.pedalNames();
        for (const auto& drop : {std::pair{gap(session), "between slots"},
                                 std::pair{session.slot(0)->geometry().center(), "on the source"},
                                 std::pair{session.slot(9)->geometry().center(), "unknown"}}) {
            QVERIFY(dragging.start(session.slot(0)));
            dragging.moveTo(drop.first);
            QVERIFY2(!dragging.drop(), drop.second);
            QVERIFY2(!body->dragging(), drop.second);
        }
        session.settle();
        QCOMPARE(session.pedalNames(), before);
        QVERIFY(session.received().empty());
    }

    void dropsRunTheOperations() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Dragging dragging(session);
        const auto dropOnto = [&](std::size_t from, std::size_t to, Qt::KeyboardModifiers keys) {
            const std::size_t sent = session.received().size();
            if (!dragging.start(session.slot(from))) return std::vector<std::string>{"no drag"};
            dragging.moveOver(session.slot(to), keys);
            if (!dragging.drop(keys)) return std::vector<std::string>{"refused"};
            session.settle();
            const auto all = session.received();
            return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(sent),
                                            all.end());
        };
        // Move: the write first, the erase only after it.
        QCOMPARE(dropOnto(0, 2, {}), (std::vector<std::string>{"WRITE 2", "ERASE 0"}));
        QCOMPARE(session.pedalNames(),
                 (Names{{2, "Clean"}, {3, "Lead"}, {5, "Crunch"}, {10, "Hidden"}}));
        QCOMPARE(dropOnto(1, 5, Qt::AltModifier), (std::vector<std::string>{"WRITE 5"}));
        QCOMPARE(dropOnto(2, 4, {}), (std::vector<std::string>{"WRITE 4", "WRITE 2"}));
        QCOMPARE(session.pedalNames(),
                 (Names{{2, "Clean"}, {3, "Crunch"}, {5, "Lead"}, {6, "Clean"}, {10, "Hidden"}}));
        QCOMPARE(dropOnto(4, 1, Qt::AltModifier), (std::vector<std::string>{"WRITE 1"}));
        QCOMPARE(session.pedalNames(),
                 (Names{{2, "Lead"}, {3, "Crunch"}, {5, "Lead"}, {6, "Clean"}, {10, "Hidden"}}));
        // The screen shows what the pedal holds.
        QCOMPARE(session.shownNames(), session.pedalNames());
        QVERIFY(!session.screen().notice()->isPosted());
    }

    void refusedWrites_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("slot1");
        QTest::addColumn<QString>("slot2");
        QTest::newRow("move: the target refused")
            << QStringList{"--error", "WRITE_PRESET@2=5"} << 0 << 2
            << "Slot 3 could not be written; \"Lead\" stays in slot 1." << QStringList{"WRITE 2"}
            << "Lead"
            << "Clean";
        QTest::newRow("swap: the first write refused")
            << QStringList{"--error", "WRITE_PRESET@1=5"} << 0 << 1
            << "Slot 2 could not be written; nothing was swapped." << QStringList{"WRITE 1"}
            << "Lead"
            << "Clean";
        QTest::newRow("swap: the second write refused")
            << QStringList{"--error", "WRITE_PRESET@0=5"} << 0 << 1
            << "Slot 1 could not be written; the swap was undone."
            << QStringList{"WRITE 1", "WRITE 0", "WRITE 1"} << "Lead"
            << "Clean";
        QTest::newRow("swap: the second write and its repair refused")
            << QStringList{"--error", "WRITE_PRESET#2=5", "--error", "WRITE_PRESET#3=5"} << 0 << 1
            << "Slot 1 could not be written and Slot 2 could not be restored: \"Clean\" is no "
               "longer on the pedal."
            << QStringList{"WRITE 1", "WRITE 0", "WRITE 1"} << "Lead"
            << "Lead";
    }
    void refusedWrites() {
        QFETCH(QStringList, faults);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, notice);
        QFETCH(QStringList, sent);
        QFETCH(QString, slot1);
        QFETCH(QString, slot2);
        std::vector<std::string> arguments;
        for (const QString& fault : faults) arguments.push_back(fault.toStdString());
        TransfersSession session(pedals.path(), kPresets, arguments);
        QVERIFY(session.ready());
        Dragging dragging(session);
        QVERIFY(dragging.start(session.slot(std::size_t(from))));
        dragging.moveOver(session.slot(std::size_t(to)));
        QVERIFY(dragging.drop());
        QTRY_COMPARE(session.screen().notice()->notice(), notice);
        QStringList received;
        for (const std::string& line : session.received()) received << QString::fromStdString(line);
        QCOMPARE(received, sent);
        QCOMPARE(QString::fromStdString(session.pedalNames()[1]), slot1);
        QCOMPARE(QString::fromStdString(session.pedalNames()[2]), slot2);
        QCOMPARE(session.shownNames(), session.pedalNames());
    }

    // A drop the transfer refuses before sending anything says why: the empty slot it was
    // offered filled meanwhile.
    void aRefusedDropSaysWhy() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Dragging dragging(session);
        QVERIFY(dragging.start(session.slot(0)));
        dragging.moveOver(session.slot(2));
        QCOMPARE(session.screen().body()->operation(), TransferOperation::move);
        railSync(session.device()->queue(), [&] {
            QVERIFY(presets(session.device())
                        .write(Preset::presetWithSerialized(presetBytes("Theirs", 9)), 2));
        });
        QTRY_VERIFY(session.slot(2)->occupied());
        dragging.drop();
        QCOMPARE(session.screen().notice()->notice(),
                 QStringLiteral("Slot 3 is no longer empty; nothing was moved."));
        session.settle();
        QCOMPARE(session.received(), std::vector<std::string>{"WRITE 2"});
    }

    // The pedal unplugged while its Delete question is open, and while a drag is halfway:
    // by the time the window turns to the empty screen the question has closed unanswered
    // and the drag has ended; the window lives on and nothing is sent.
    void thePedalLeavingEndsTheQuestionAndTheDrag() {
        {
            TransfersSession session(pedals.path(), kPresets);
            QVERIFY(session.ready());
            QTest::mouseClick(session.slot(0)->clickArea(), Qt::LeftButton);
            QTRY_COMPARE(session.screen().selected(), (std::set<std::size_t>{0}));
            WhenTheEmptyScreenShows then(session, [] { return test::shownAlert() == nullptr; });
            // Unplugged from inside whatever the click leaves running.
            QTimer::singleShot(0, [&] { session.pedal().kill(); });
            QTest::mouseClick(session.screen().deleteButton(), Qt::LeftButton);
            QVERIFY(test::waitForAlert() != nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(then.held.has_value(), 15000);
            QVERIFY2(*then.held, "the question outlived its pedal");
            QVERIFY(session.received().empty());
        }
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Dragging dragging(session);
        const QPoint from = session.slot(0)->geometry().center();
        const QPoint to = session.slot(2)->geometry().center();
        QVERIFY(dragging.start(session.slot(0)));
        dragging.moveTo((from + to) / 2);
        const QPointer<DragOverlay> picture = session.screen().body()->overlay();
        WhenTheEmptyScreenShows then(session, [&] { return !picture || picture->isHidden(); });
        session.pedal().kill();
        QTRY_VERIFY_WITH_TIMEOUT(then.held.has_value(), 15000);
        QVERIFY2(*then.held, "the drag outlived its pedal");
        dragging.moveByAndRelease((to - from) / 2);
        QVERIFY(session.window()->isVisible());
        QVERIFY(session.received().empty());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersDragQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersDragQtTest.moc"
