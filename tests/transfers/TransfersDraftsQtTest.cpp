// The Transfers screen against a simulated pedal whose presets have unsaved edits in the
// Editor: every operation sends what the pedal stores, a draft goes with its preset when a
// Move or a Swap carries it to another slot, and an operation that would replace or erase a
// draft asks first.
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "TransfersHarness.h"
#include "devices/PresetStore.h"
#include "editor/MIV3Editor.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"
#include "transfers/PresetImport.h"
#include "ui/Fader.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)},
    {1, presetBytes("Clean", 2)},
    {2, presetBytes("Crunch", 3)},
};

// Moves the Editor's fader for `key` on the slot's preset, as the user does, and leaves the
// slot with the program's selection change, which keeps the edit.
void draft(TransfersSession& session, std::size_t slot, const std::string& key, double percent) {
    auto* editor = dynamic_cast<MIV3Editor*>(session.app().screens().editor().get());
    editor->selectPreset(slot);
    auto* fader = qobject_cast<ui::Fader*>(editor->control(key));
    fader->delegate()->fader(fader, true, percent);
    editor->presetDownFootswitchClicked();
}

// Answers the alerts in turn as each is shown, whether the screen waits for it or not, and
// keeps their headlines. "Cancel" is Escape. The answer is given from the event loop, not
// from the timer, so an alert asked in turn by the answer is seen too.
class Answering {
  public:
    explicit Answering(QStringList answers) : answers_(std::move(answers)) {
        timer_.callOnTimeout([this] {
            ui::Alert* alert = test::shownAlert();
            if (alert == nullptr || alert == answered_ || answers_.isEmpty()) return;
            answered_ = alert;
            headlines << alert->headline();
            QTimer::singleShot(0, alert, [alert, answer = answers_.takeFirst()] {
                if (answer == ui::Alert::kCancel) return QTest::keyClick(alert, Qt::Key_Escape);
                for (auto* button : alert->findChildren<QPushButton*>())
                    if (button->text() == answer) QTest::mouseClick(button, Qt::LeftButton);
            });
        });
        timer_.start(10);
    }
    bool done() const { return answers_.isEmpty(); }
    QStringList headlines;

  private:
    QStringList answers_;
    QPointer<ui::Alert> answered_;
    QTimer timer_;
};

}  // namespace

class TransfersDraftsQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-drafts"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void operationsSendWhatThePedalStores() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        const auto cached = [&](std::size_t slot) {
            return presets(session.device()).cached(slot);
        };
        draft(session, 0, "levelDry", 90);
        const Bytes lead = kPresets.at(0), clean = kPresets.at(1), edited = cached(0)->serialized();
        QVERIFY(edited != lead);

        screen.runTransfer(TransferOperation::move, 0, 4);
        session.settle();
        QCOMPARE(session.pedalPresets().count(0), std::size_t(0));
        QCOMPARE(session.pedalPresets().at(4), lead);
        // The draft went along, still unsaved.
        QVERIFY(cached(4)->dirty());
        QCOMPARE(cached(4)->serialized(), edited);

        screen.runTransfer(TransferOperation::copy, 4, 5);
        session.settle();
        QCOMPARE(session.pedalPresets().at(5), lead);
        QVERIFY(!cached(5)->dirty());

        screen.runTransfer(TransferOperation::swap, 4, 1);
        session.settle();
        QCOMPARE(session.pedalPresets().at(1), lead);
        QCOMPARE(session.pedalPresets().at(4), clean);
        QVERIFY(!cached(4)->dirty());
        QCOMPARE(cached(1)->serialized(), edited);
        QVERIFY(cached(1)->canUndo());

        // Overwriting the slot the draft went to asks, over the window.
        screen.runTransfer(TransferOperation::overwrite, 2, 1);
        ui::Alert* question = test::waitForAlert();
        QVERIFY(question != nullptr);
        QCOMPARE(question->headline(),
                 QStringLiteral("Preset 02 has unsaved changes in the Editor. They will be lost."));
        QImage shot = session.windowShot();
        QPainter painter(&shot);
        painter.drawPixmap(session.window()->mapFromGlobal(question->mapToGlobal(QPoint(0, 0))),
                           question->grab());
        painter.end();
        QVERIFY(test::saveShot(shot, QStringLiteral("lost-draft-question")));
        QVERIFY(test::pressOnAlert(Qt::Key_Escape));
        session.settle();
        QVERIFY(cached(1)->dirty());

        // A file made of the slot holds the stored preset under its stored name.
        ImportPlan plan = PresetImport::plan(*session.device(), {1});
        QCOMPARE(plan.records.size(), std::size_t(1));
        QCOMPARE(plan.records[0].basename, std::string("Lead"));
        QVERIFY(plan.records[0].data.size() == 8 + lead.size() &&
                std::equal(lead.begin(), lead.end(), plan.records[0].data.begin() + 8));
    }

    // Overwrite, Move onto an emptied slot with a draft, Delete and export each ask before
    // a draft goes; Cancel (or Escape) sends nothing.
    void losingADraftAsksFirst_data() {
        QTest::addColumn<QString>("operation");
        for (const char* operation : {"overwrite", "move", "delete", "export"})
            QTest::newRow(operation) << QString::fromLatin1(operation);
    }
    void losingADraftAsksFirst() {
        QFETCH(QString, operation);
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        if (operation == QLatin1String("move")) {
            // An empty slot edited in the Editor holds a draft too.
            draft(session, 3, "levelDry", 90);
        } else {
            draft(session, 0, "levelDry", 90);
        }
        const auto start = [&] {
            if (operation == QLatin1String("overwrite"))
                screen.runTransfer(TransferOperation::overwrite, 2, 0);
            if (operation == QLatin1String("move"))
                screen.runTransfer(TransferOperation::move, 2, 3);
            if (operation == QLatin1String("delete")) {
                screen.selectAll();
                screen.deletePresets();
            }
            if (operation == QLatin1String("export")) {
                const PresetRef file = Preset::presetWithSerialized(presetBytes("Filed", 7));
                screen.slot(0)->setExport(file);
                screen.slotAddedExport(screen.slot(0), file);
                screen.exportPresets();
            }
        };
        const std::string draftSlot = operation == QLatin1String("move") ? "04" : "01";
        const QString question = QStringLiteral(
                                     "Preset %1 has unsaved changes in the Editor. "
                                     "They will be lost.")
                                     .arg(QString::fromStdString(draftSlot));
        const std::size_t sentBefore = session.received().size();
        {
            Answering answering({ui::Alert::kCancel});
            start();
            QTRY_VERIFY(answering.done());
            QCOMPARE(answering.headlines, QStringList{question});
        }
        session.settle();
        QCOMPARE(session.received().size(), sentBefore);
        {
            // Continue, and Yes to the delete's own question.
            Answering answering({QStringLiteral("Continue"), ui::Alert::kYes});
            start();
            QTRY_VERIFY(!session.received().empty() && session.received().size() > sentBefore);
            QCOMPARE(answering.headlines.value(0), question);
        }
        session.settle();
        QVERIFY(test::shownAlert() == nullptr);
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersDraftsQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersDraftsQtTest.moc"
