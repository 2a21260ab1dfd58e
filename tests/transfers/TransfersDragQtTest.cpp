// Drag and drop on the Transfers screen against a simulated pedal, driven through the slot
// grid's drag handlers: the operation each target and the Option (Alt) key offer, the drag
// image, the target's look and the status line while the pointer moves, what each drop sends
// to the pedal and in which order, and Swap and Move when the pedal refuses a write.
#include <QTest>

#include "TransfersHarness.h"
#include "shell/Application.h"

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
        QCOMPARE(dragging.drag()->mimeData()->data(TransfersBackground::kDragType),
                 QByteArray("0"));
        QCOMPARE(body->dragImageSuffix(), QStringLiteral("blank"));

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
            if (step.target == 1 && step.modifiers == Qt::KeyboardModifiers())
                QVERIFY(test::saveShot(dragging.shot(), QStringLiteral("drag-over-occupied")));
            if (step.target == 1 && step.modifiers == Qt::AltModifier)
                QVERIFY(test::saveShot(dragging.shot(), QStringLiteral("drag-over-occupied-alt")));
        }
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

        // Drops that run nothing: between slots, on the source, on a slot not read.
        const Names before = session.pedalNames();
        for (const auto& drop : {std::pair{gap(session), "between slots"},
                                 std::pair{session.slot(0)->geometry().center(), "on the source"},
                                 std::pair{session.slot(9)->geometry().center(), "unknown"}}) {
            QVERIFY(dragging.start(session.slot(0)));
            dragging.moveTo(drop.first);
            QVERIFY2(!dragging.drop(), drop.second);
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
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersDragQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersDragQtTest.moc"
