// Alerts answer with the button pressed; Escape answers "Cancel" only when the invisible
// Cancel is there.
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/Alert.h"

using harbrix::ui::Alert;

namespace {

// Acts on the alert once it is up.
void whenShown(std::function<void(QWidget*)> action) {
    QTimer::singleShot(50, [action] {
        QWidget* alert = QApplication::activeModalWidget();
        QVERIFY(alert != nullptr);
        action(alert);
    });
}

QStringList visibleButtons(QWidget* alert) {
    QStringList titles;
    for (auto* button : alert->findChildren<QPushButton*>())
        if (!button->isHidden()) titles << button->text();
    return titles;
}

}  // namespace

class AlertQtTest : public QObject {
    Q_OBJECT
  private slots:
    void escapeAnswersCancel() {
        QStringList shown;
        whenShown([&](QWidget* alert) {
            shown = visibleButtons(alert);
            QTest::keyClick(alert, Qt::Key_Escape);
        });
        QCOMPARE(
            Alert::ask(nullptr, QStringLiteral("Deleted preset cannot be restored."), QString()),
            Alert::kCancel);
        shown.sort();
        QCOMPARE(shown, (QStringList{Alert::kNo, Alert::kYes}));
    }

    void returnAnswersTheFirstButton() {
        whenShown([](QWidget* alert) { QTest::keyClick(alert, Qt::Key_Return); });
        QCOMPARE(Alert::ask(nullptr, QStringLiteral("Continue?"), QString()), Alert::kYes);
    }

    void clickedButtonIsTheAnswer() {
        whenShown([](QWidget* alert) {
            for (auto* button : alert->findChildren<QPushButton*>())
                if (button->text() == Alert::kNo) button->click();
        });
        QCOMPARE(Alert::ask(nullptr, QStringLiteral("Continue?"), QString()), Alert::kNo);
    }

    void noticeIgnoresEscape() {
        whenShown([](QWidget* alert) {
            QTest::keyClick(alert, Qt::Key_Escape);
            QTimer::singleShot(50, [alert] {
                QVERIFY(alert->isVisible());
                QTest::keyClick(alert, Qt::Key_Return);
            });
        });
        Alert notice(QStringLiteral("Hang on while presets are being refreshed"),
                     QStringLiteral("Wait until the refresh has finished."), {Alert::kOK}, false);
        QCOMPARE(notice.run(), Alert::kOK);
    }

    void responderAnswersWithoutShowing() {
        QString asked;
        Alert::setResponder([&](const Alert& alert) {
            asked = alert.headline();
            return Alert::kYes;
        });
        QCOMPARE(
            Alert::ask(nullptr, QStringLiteral("Deleted presets cannot be restored."), QString()),
            Alert::kYes);
        QCOMPARE(asked, QStringLiteral("Deleted presets cannot be restored."));
        Alert::setResponder({});
    }

    // Asked without waiting: the answer comes once, and the alert goes by itself; an alert
    // whose parent goes first goes with it, unanswered.
    void askLaterAnswersOnceThroughItsCallback() {
        QWidget window;
        window.show();
        QStringList answers;
        QPointer<Alert> alert = Alert::askLater(&window, QStringLiteral("Continue?"), QString(),
                                                [&](const QString& answer) { answers << answer; });
        QTRY_VERIFY(alert->isVisible());
        QVERIFY(answers.isEmpty());
        for (auto* button : alert->findChildren<QPushButton*>())
            if (button->text() == Alert::kNo) button->click();
        QCOMPARE(answers, QStringList{Alert::kNo});
        QTRY_VERIFY(alert.isNull());

        auto* parent = new QWidget;
        parent->show();
        alert = Alert::askLater(parent, QStringLiteral("Continue?"), QString(),
                                [&](const QString& answer) { answers << answer; });
        QTRY_VERIFY(alert->isVisible());
        delete parent;
        QVERIFY(alert.isNull());
        QCOMPARE(answers.size(), 1);
    }
};

QTEST_MAIN(AlertQtTest)
#include "AlertQtTest.moc"
