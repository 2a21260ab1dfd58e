// Alerts answer through their callback, once, with the button pressed; Escape answers
// "Cancel" only when the invisible Cancel is there; nothing waits for the answer, and an
// alert whose parent goes first goes with it, unanswered.
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "support/ShownAlerts.h"
#include "ui/Alert.h"

using harbrix::ui::Alert;
namespace test = harbrix::test;

class AlertQtTest : public QObject {
    Q_OBJECT
  private slots:
    void theAnswerIsTheButtonPressed_data() {
        QTest::addColumn<int>("key");  // 0: click "No"
        QTest::addColumn<QString>("answer");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << Alert::kCancel;
        QTest::newRow("Return") << int(Qt::Key_Return) << Alert::kYes;
        QTest::newRow("No clicked") << 0 << Alert::kNo;
    }
    void theAnswerIsTheButtonPressed() {
        QFETCH(int, key);
        QFETCH(QString, answer);
        QStringList answers;
        QPointer<Alert> alert =
            Alert::askLater(nullptr, QStringLiteral("Deleted preset cannot be restored."),
                            QString(), [&](const QString& given) { answers << given; });
        // Asked without waiting: shown, not answered yet.
        QVERIFY(alert->isVisible());
        QVERIFY(answers.isEmpty());
        QStringList shown;
        for (auto* button : alert->findChildren<QPushButton*>())
            if (!button->isHidden()) shown << button->text();
        QCOMPARE(shown, (QStringList{Alert::kNo, Alert::kYes}));
        QVERIFY(key == 0 ? test::answerAlert(Alert::kNo) : test::pressOnAlert(Qt::Key(key)));
        QCOMPARE(answers, QStringList{answer});
        QTRY_VERIFY(alert.isNull());
    }

    void noticeIgnoresEscape() {
        QPointer<Alert> notice =
            Alert::informLater(nullptr, QStringLiteral("Hang on while presets are being refreshed"),
                               QStringLiteral("Wait until the refresh has finished."));
        QVERIFY(test::pressOnAlert(Qt::Key_Escape));
        QVERIFY(notice->isVisible());
        QVERIFY(test::pressOnAlert(Qt::Key_Return));
        QTRY_VERIFY(notice.isNull());
    }

    void anAlertGoesUnansweredWithItsParent() {
        auto* parent = new QWidget;
        parent->show();
        QStringList answers;
        QPointer<Alert> alert = Alert::askLater(parent, QStringLiteral("Continue?"), QString(),
                                                [&](const QString& answer) { answers << answer; });
        QVERIFY(alert->isVisible());
        delete parent;
        QVERIFY(alert.isNull());
        QVERIFY(answers.isEmpty());
    }
};

QTEST_MAIN(AlertQtTest)
#include "AlertQtTest.moc"
