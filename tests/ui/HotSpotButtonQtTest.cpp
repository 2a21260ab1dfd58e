// The invisible click area: single clicks wait 0.2 s for a second click, two clicks make a
// double click, a 10-point move makes a drag start, and hover follows the shield.
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include "ui/HotSpotButton.h"

using harbrix::ui::HotSpotButton;

namespace {

void click(QWidget* widget, QPoint at = QPoint(20, 10)) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A click on another button, waited for: a single click due from a click made before it has
// arrived by then, since both wait out the same delay.
bool clickDelayPassed() {
    HotSpotButton other;
    other.resize(100, 40);
    QSignalSpy clicked(&other, &HotSpotButton::clicked);
    click(&other);
    return clicked.wait(10000);
}

void enter(QWidget* widget) {
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

}  // namespace

class HotSpotButtonQtTest : public QObject {
    Q_OBJECT
  private slots:
    void singleClickArrivesAfterTheDelay() {
        HotSpotButton button;
        button.resize(100, 40);
        QSignalSpy clicked(&button, &HotSpotButton::clicked);
        QSignalSpy doubled(&button, &HotSpotButton::doubleClicked);
        QElapsedTimer sinceClick;
        sinceClick.start();
        click(&button);
        QVERIFY(clicked.wait(10000));
        // Qt's coarse timers may fire up to 5% early.
        QVERIFY(sinceClick.elapsed() >= HotSpotButton::kClickDelayMs * 95 / 100);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(doubled.count(), 0);
    }

    void secondClickMakesADoubleClickInstead() {
        HotSpotButton button;
        button.resize(100, 40);
        QSignalSpy clicked(&button, &HotSpotButton::clicked);
        QSignalSpy doubled(&button, &HotSpotButton::doubleClicked);
        click(&button);
        click(&button);
        QCOMPARE(doubled.count(), 1);
        QVERIFY(clickDelayPassed());
        QCOMPARE(clicked.count(), 0);
    }

    void releaseOutsideIsNoClick() {
        HotSpotButton button;
        button.resize(100, 40);
        QSignalSpy clicked(&button, &HotSpotButton::clicked);
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(95, 10));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(103, 10));
        QVERIFY(clickDelayPassed());
        QCOMPARE(clicked.count(), 0);
    }

    void dragStartsAtTenPointsAndReplacesTheClick() {
        HotSpotButton button;
        button.resize(100, 40);
        QSignalSpy clicked(&button, &HotSpotButton::clicked);
        QSignalSpy drags(&button, &HotSpotButton::dragStarted);
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseMove(&button, QPoint(26, 17));  // 9.2 points away
        QCOMPARE(drags.count(), 0);
        QTest::mouseMove(&button, QPoint(26, 18));  // 10 points away
        QCOMPARE(drags.count(), 1);
        QCOMPARE(drags.at(0).at(0).toPoint(), QPoint(20, 10));
        QTest::mouseMove(&button, QPoint(60, 30));
        QCOMPARE(drags.count(), 1);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 30));
        QVERIFY(clickDelayPassed());
        QCOMPARE(clicked.count(), 0);
    }

    void hoverUnlessDisabledOrShielded() {
        HotSpotButton button;
        button.resize(100, 40);
        QSignalSpy hover(&button, &HotSpotButton::hoverChanged);
        enter(&button);
        leave(&button);
        QCOMPARE(hover.count(), 2);
        QCOMPARE(hover.at(0).at(0).toBool(), true);
        QCOMPARE(hover.at(1).at(0).toBool(), false);

        hover.clear();
        bool shieldUp = true;
        HotSpotButton::setHoverBlocker([&] { return shieldUp; });
        enter(&button);
        QCOMPARE(hover.count(), 0);
        shieldUp = false;
        button.setEnabled(false);
        enter(&button);
        QCOMPARE(hover.count(), 0);
        HotSpotButton::setHoverBlocker({});
    }
};

QTEST_MAIN(HotSpotButtonQtTest)
#include "HotSpotButtonQtTest.moc"
