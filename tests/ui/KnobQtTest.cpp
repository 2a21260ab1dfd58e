// The knob's geometry (sweep, dead zone, detent) and its reports, driven by synthesized
// mouse events on an offscreen widget.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <cmath>
#include <numbers>
#include <vector>

#include "ui/Knob.h"

using harbrix::ui::Knob;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSide = 1000;  // large, so integer pointer positions give fine angles

struct Report {
    bool final;
    double percentage;
};

struct Recorder : harbrix::ui::KnobDelegate {
    std::vector<Report> reports;
    void knob(Knob*, bool final, double percentage) override {
        reports.push_back({final, percentage});
    }
};

// The pointer position at an angle anticlockwise from straight up.
QPoint pointAt(double angle, double radius = 400) {
    const double c = kSide / 2.0;
    return QPoint(static_cast<int>(std::lround(c - radius * std::sin(angle))),
                  static_cast<int>(std::lround(c - radius * std::cos(angle))));
}

bool near(double a, double b, double tolerance = 1e-9) {
    return std::abs(a - b) < tolerance;
}

}  // namespace

class KnobQtTest : public QObject {
    Q_OBJECT
  private slots:
    void sweepEndsAndMiddle_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("percentage");
        QTest::newRow("straight up") << QPointF(500, 100) << 50.0;
        QTest::newRow("down-left") << QPointF(200, 800) << 0.0;
        QTest::newRow("down-right") << QPointF(800, 800) << 100.0;
        QTest::newRow("left") << QPointF(100, 500) << 50.0 - 90.0 * 100 / 270;
        QTest::newRow("right") << QPointF(900, 500) << 50.0 + 90.0 * 100 / 270;
    }
    void sweepEndsAndMiddle() {
        QFETCH(QPointF, point);
        QFETCH(double, percentage);
        Knob knob;
        knob.resize(kSide, kSide);
        const double angle = knob.normalizedAngleFromPoint(point);
        QVERIFY2(near(Knob::percentageForAngle(angle), percentage),
                 qPrintable(QString::number(Knob::percentageForAngle(angle))));
    }

    void anglesOfTheSweep() {
        QVERIFY(near(Knob::percentageForAngle(0), 50));
        QVERIFY(near(Knob::percentageForAngle(3 * kPi / 4), 0));
        QVERIFY(near(Knob::percentageForAngle(5 * kPi / 4), 100));
        for (const double p : {0.0, 12.5, 50.0, 87.0, 100.0})
            QVERIFY(near(Knob::percentageForAngle(Knob::angleForPercentage(p)), p));
    }

    void limitedKnobKeepsPointerOutOfTheBottom() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setLimited(true);
        // Just left of straight down goes to the 0 % end, just right of it to the 100 % end.
        QVERIFY(near(knob.normalizedAngleFromPoint(pointAt(kPi - 0.1)), 3 * kPi / 4));
        QVERIFY(near(knob.normalizedAngleFromPoint(pointAt(kPi + 0.1)), 5 * kPi / 4));
    }

    void limitedKnobDraggedThroughTheBottomStopsAtItsEnd() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setLimited(true);
        Recorder recorder;
        knob.setDelegate(&recorder);
        QTest::mousePress(&knob, Qt::LeftButton, {}, pointAt(Knob::angleForPercentage(10)));
        for (const double angle : {2.2, 2.6, 3.0, 3.3, 3.6, 4.0, 4.5})
            QTest::mouseMove(&knob, pointAt(angle));
        QVERIFY(near(knob.doubleValue(), 0));
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, pointAt(4.5));
        QVERIFY(recorder.reports.back().final);
        QVERIFY(near(recorder.reports.back().percentage, 0));
        for (const auto& report : recorder.reports) QVERIFY(report.percentage < 20);

        // And from the other end.
        recorder.reports.clear();
        QTest::mousePress(&knob, Qt::LeftButton, {}, pointAt(Knob::angleForPercentage(90)));
        for (const double angle : {4.0, 3.6, 3.3, 3.0, 2.6, 2.2})
            QTest::mouseMove(&knob, pointAt(angle));
        QVERIFY(near(knob.doubleValue(), 100));
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, pointAt(2.2));
        for (const auto& report : recorder.reports) QVERIFY(report.percentage > 80);
    }

    void unlimitedKnobReportsWithinTheSweep() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.spin(kPi - 0.1);  // in the dead zone, past the 0 % end
        QVERIFY(near(knob.doubleValue(), 0));
        knob.spin(kPi + 0.1);  // past the 100 % end
        QVERIFY(near(knob.doubleValue(), 100));
    }

    void detentSnapsNearTheCentreOnly_data() {
        QTest::addColumn<double>("turnedTo");
        QTest::addColumn<double>("shows");
        QTest::newRow("52 % is 66 of 127: snaps") << 52.0 << Knob::kCentre;
        QTest::newRow("47 % is 60 of 127: snaps") << 47.0 << Knob::kCentre;
        QTest::newRow("54 % is 69 of 127: stays") << 54.0 << 54.0;
        QTest::newRow("46 % is 58 of 127: stays") << 46.0 << 46.0;
    }
    void detentSnapsNearTheCentreOnly() {
        QFETCH(double, turnedTo);
        QFETCH(double, shows);
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setPlusOrMinus(true);
        knob.spin(Knob::angleForPercentage(turnedTo));
        QVERIFY2(near(knob.doubleValue(), shows), qPrintable(QString::number(knob.doubleValue())));
    }

    void detentByPointer() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setPlusOrMinus(true);
        QTest::mousePress(&knob, Qt::LeftButton, {}, pointAt(Knob::angleForPercentage(52)));
        QVERIFY(near(knob.doubleValue(), Knob::kCentre));
        QTest::mouseMove(&knob, pointAt(Knob::angleForPercentage(54)));
        QVERIFY(near(knob.doubleValue(), 54, 0.1));
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, pointAt(Knob::angleForPercentage(54)));
    }

    void programmedValueSkipsTheDetentAndTheDelegate() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setPlusOrMinus(true);
        Recorder recorder;
        knob.setDelegate(&recorder);
        knob.setDoubleValue(66.0 / 127 * 100);
        QVERIFY(near(knob.doubleValue(), 66.0 / 127 * 100));
        QVERIFY(recorder.reports.empty());
    }

    void continuousKnobReportsWhileTurningThenFinal() {
        Knob knob;
        knob.resize(kSide, kSide);
        Recorder recorder;
        knob.setDelegate(&recorder);
        QTest::mousePress(&knob, Qt::LeftButton, {}, pointAt(0.5));
        QTest::mouseMove(&knob, pointAt(0.2));
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, pointAt(0.2));
        QCOMPARE(recorder.reports.size(), std::size_t(3));
        QVERIFY(!recorder.reports[0].final && !recorder.reports[1].final);
        QVERIFY(recorder.reports[2].final);
        QVERIFY(near(recorder.reports[2].percentage, knob.doubleValue()));
    }

    void nonContinuousKnobReportsOnceOnRelease() {
        Knob knob;
        knob.resize(kSide, kSide);
        knob.setContinuous(false);
        Recorder recorder;
        knob.setDelegate(&recorder);
        QTest::mousePress(&knob, Qt::LeftButton, {}, pointAt(0.5));
        QTest::mouseMove(&knob, pointAt(0.4));
        QTest::mouseMove(&knob, pointAt(-0.3));
        QVERIFY(recorder.reports.empty());
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, pointAt(-0.3));
        QCOMPARE(recorder.reports.size(), std::size_t(1));
        QVERIFY(recorder.reports[0].final);
        QVERIFY(recorder.reports[0].percentage > 50);
    }

    // The keys turn by the key step, a page of ten steps, or to the ends; every press reports
    // while it turns and each key's release once more as final (one undo step, as a pointer's
    // release). Held keys repeat their presses and releases: only the last release is final.
    // A key that changes nothing reports nothing; a turn still held when the knob loses the
    // keyboard ends there; keys with Ctrl are left to shortcuts.
    void keysTurnAndEachReleaseIsFinal() {
        Knob knob;
        Recorder recorder;
        knob.setDelegate(&recorder);
        const double step = 100.0 / 127;
        knob.setKeyStep(step);
        knob.setDoubleValue(50);
        QTest::keyClick(&knob, Qt::Key_Up);
        QVERIFY(near(knob.doubleValue(), 50 + step));
        QCOMPARE(recorder.reports.size(), std::size_t(2));
        QVERIFY(!recorder.reports[0].final && recorder.reports[1].final);
        QVERIFY(near(recorder.reports[1].percentage, 50 + step));

        recorder.reports.clear();
        for (int i = 0; i < 3; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, {}, i > 0);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier, {}, i < 2);
            QApplication::sendEvent(&knob, &press);
            QApplication::sendEvent(&knob, &release);
        }
        QVERIFY(near(knob.doubleValue(), 50 + step - 30 * step));
        QCOMPARE(recorder.reports.size(), std::size_t(4));
        QVERIFY(recorder.reports[3].final && !recorder.reports[2].final);

        recorder.reports.clear();
        QTest::keyClick(&knob, Qt::Key_End);
        QCOMPARE(knob.doubleValue(), 100.0);
        QTest::keyClick(&knob, Qt::Key_Right);
        QCOMPARE(recorder.reports.size(), std::size_t(2));
        QTest::keyClick(&knob, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(recorder.reports.size(), std::size_t(2));

        knob.show();
        QVERIFY(QTest::qWaitForWindowActive(&knob));
        knob.setFocus();
        QTest::keyPress(&knob, Qt::Key_Home);
        QCOMPARE(knob.doubleValue(), 0.0);
        knob.clearFocus();
        QCOMPARE(recorder.reports.size(), std::size_t(4));
        QVERIFY(recorder.reports[3].final && recorder.reports[3].percentage == 0);
        QTest::keyRelease(&knob, Qt::Key_Home);
        QCOMPARE(recorder.reports.size(), std::size_t(4));
    }
};

QTEST_MAIN(KnobQtTest)
#include "KnobQtTest.moc"
