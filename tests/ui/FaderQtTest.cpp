// The fader's cap table, its travel under the pointer and its reports.
#include <QPixmap>
#include <QTest>

#include <map>
#include <vector>

#include "ui/Fader.h"

using harbrix::ui::Fader;

namespace {

constexpr int kCapHeight = 20;
constexpr int kFaderHeight = 200;  // travel 180 points

QPixmap cap(Qt::GlobalColor color) {
    QPixmap image(30, kCapHeight);
    image.fill(color);
    return image;
}

struct Report {
    bool final;
    double percentage;
};

struct Delegate : harbrix::ui::FaderDelegate {
    std::map<int, QPixmap> caps;
    std::vector<Report> reports;
    std::map<int, QPixmap> capAssetsAndThresholds(Fader*) override { return caps; }
    void fader(Fader*, bool final, double percentage) override {
        reports.push_back({final, percentage});
    }
};

// The editor's thresholds, each with an image of its own.
std::map<int, QPixmap> editorCaps() {
    return {{0, cap(Qt::black)}, {10, cap(Qt::red)},  {25, cap(Qt::green)},
            {50, cap(Qt::blue)}, {75, cap(Qt::cyan)}, {95, cap(Qt::yellow)}};
}

// A pointer at `up` points above the fader's bottom edge.
QPoint above(int up) {
    return QPoint(15, kFaderHeight - up);
}

}  // namespace

class FaderQtTest : public QObject {
    Q_OBJECT
  private slots:
    void capOfEachValue_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("threshold");
        QTest::newRow("0") << 0.0 << 0;
        QTest::newRow("9.99") << 9.99 << 0;
        QTest::newRow("10") << 10.0 << 10;
        QTest::newRow("74.9") << 74.9 << 50;
        QTest::newRow("94") << 94.0 << 75;
        QTest::newRow("94.9") << 94.9 << 75;
        QTest::newRow("95") << 95.0 << 95;
        QTest::newRow("100") << 100.0 << 95;
    }
    void capOfEachValue() {
        QFETCH(double, value);
        QFETCH(int, threshold);
        Delegate delegate;
        delegate.caps = editorCaps();
        Fader fader;
        fader.setDelegate(&delegate);
        fader.setDoubleValue(value);
        QCOMPARE(fader.currentCap().cacheKey(), delegate.caps.at(threshold).cacheKey());
    }

    void thresholdsAboveHundredAreIgnoredAndGapsStayEmpty() {
        Delegate delegate;
        delegate.caps = {{10, cap(Qt::red)}, {150, cap(Qt::blue)}};
        Fader fader;
        fader.setDelegate(&delegate);
        QCOMPARE(fader.assets().size(), std::size_t(Fader::kEntries));
        QVERIFY(fader.assets()[9].isNull());
        QCOMPARE(fader.assets()[100].cacheKey(), delegate.caps.at(10).cacheKey());
        fader.setDoubleValue(5);
        QVERIFY(fader.currentCap().isNull());
    }

    void pointerPositionsAlongTheTravel_data() {
        QTest::addColumn<int>("up");
        QTest::addColumn<double>("percentage");
        QTest::newRow("below the bottom of the travel") << 2 << 0.0;
        QTest::newRow("bottom") << kCapHeight / 2 << 0.0;
        QTest::newRow("middle") << kCapHeight / 2 + 90 << 50.0;
        QTest::newRow("top") << kFaderHeight - kCapHeight / 2 << 100.0;
        QTest::newRow("above the top of the travel") << kFaderHeight << 100.0;
    }
    void pointerPositionsAlongTheTravel() {
        QFETCH(int, up);
        QFETCH(double, percentage);
        Delegate delegate;
        delegate.caps = editorCaps();
        Fader fader;
        fader.resize(30, kFaderHeight);
        fader.setDelegate(&delegate);
        fader.setDoubleValue(30);
        QTest::mousePress(&fader, Qt::LeftButton, {}, above(up));
        QTest::mouseRelease(&fader, Qt::LeftButton, {}, above(up));
        QCOMPARE(fader.doubleValue(), percentage);
        QCOMPARE(delegate.reports.back().percentage, percentage);
    }

    void withoutCapsThePointerDoesNothing() {
        Delegate delegate;
        Fader fader;
        fader.resize(30, kFaderHeight);
        fader.setDelegate(&delegate);
        fader.setDoubleValue(30);
        fader.slide(150);
        QCOMPARE(fader.doubleValue(), 30.0);
    }

    void valueIsClamped() {
        Fader fader;
        fader.setDoubleValue(140);
        QCOMPARE(fader.doubleValue(), 100.0);
        fader.setDoubleValue(-3);
        QCOMPARE(fader.doubleValue(), 0.0);
    }

    void continuousFaderReportsWhileMovingThenFinal() {
        Delegate delegate;
        delegate.caps = editorCaps();
        Fader fader;
        fader.resize(30, kFaderHeight);
        fader.setDelegate(&delegate);
        QTest::mousePress(&fader, Qt::LeftButton, {}, above(40));
        QTest::mouseMove(&fader, above(100));
        QTest::mouseRelease(&fader, Qt::LeftButton, {}, above(100));
        QCOMPARE(delegate.reports.size(), std::size_t(3));
        QVERIFY(!delegate.reports[0].final && !delegate.reports[1].final &&
                delegate.reports[2].final);
        QCOMPARE(delegate.reports[2].percentage, 50.0);
    }

    void nonContinuousFaderReportsOnceOnRelease() {
        Delegate delegate;
        delegate.caps = editorCaps();
        Fader fader;
        fader.resize(30, kFaderHeight);
        fader.setContinuous(false);
        fader.setDelegate(&delegate);
        QTest::mousePress(&fader, Qt::LeftButton, {}, above(40));
        QTest::mouseMove(&fader, above(60));
        QTest::mouseMove(&fader, above(190));
        QVERIFY(delegate.reports.empty());
        QTest::mouseRelease(&fader, Qt::LeftButton, {}, above(190));
        QCOMPARE(delegate.reports.size(), std::size_t(1));
        QVERIFY(delegate.reports[0].final);
        QCOMPARE(delegate.reports[0].percentage, 100.0);
    }

    // Keys move the cap as the pointer does: each press reports while it moves (continuous
    // faders only), each release once as final; Home and End go to the ends.
    void keysMoveTheCapAndTheReleaseIsFinal() {
        Fader fader;
        Delegate delegate;
        fader.setDelegate(&delegate);
        fader.setDoubleValue(50);
        fader.setContinuous(false);
        QTest::keyClick(&fader, Qt::Key_PageUp);
        QCOMPARE(fader.doubleValue(), 60.0);
        QCOMPARE(delegate.reports.size(), std::size_t(1));
        QVERIFY(delegate.reports[0].final && delegate.reports[0].percentage == 60);
        QTest::keyClick(&fader, Qt::Key_Home);
        QTest::keyClick(&fader, Qt::Key_Down);
        QCOMPARE(fader.doubleValue(), 0.0);
        QCOMPARE(delegate.reports.size(), std::size_t(2));
    }
};

QTEST_MAIN(FaderQtTest)
#include "FaderQtTest.moc"
