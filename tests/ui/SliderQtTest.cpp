// The slider's range, snapping and its rule that only values slid to by the pointer reach
// the delegate.
#include <QTest>

#include <vector>

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Slider.h"

using harbrix::ui::Slider;

namespace {

struct Recorder : harbrix::ui::SliderDelegate {
    std::vector<double> values;
    void slider(Slider*, double value) override { values.push_back(value); }
};

// A slider whose travel is 200 points: the thumb is 16 wide.
struct Fixture {
    Slider slider;
    Recorder recorder;
    Fixture() {
        slider.setImageName(harbrix::ui::imageName(harbrix::ui::images::kSettingsSliderThumb));
        slider.resize(216, 24);
        slider.setDelegate(&recorder);
    }
    // The pointer over the thumb's centre at `percent` of the travel.
    static QPoint at(double percent) { return QPoint(8 + static_cast<int>(percent * 2), 12); }
};

}  // namespace

class SliderQtTest : public QObject {
    Q_OBJECT
  private slots:
    void thumbHasTheSizeTheTravelAssumes() {
        QCOMPARE(harbrix::ui::ImageStore::shared().size(
                     harbrix::ui::imageName(harbrix::ui::images::kSettingsSliderThumb)),
                 QSize(16, 24));
    }

    void rangeAndSnap_data() {
        QTest::addColumn<unsigned>("min");
        QTest::addColumn<unsigned>("max");
        QTest::addColumn<unsigned>("snap");
        QTest::addColumn<double>("pointer");
        QTest::addColumn<double>("value");
        QTest::newRow("max 0 is 100") << 0u << 0u << 0u << 100.0 << 100.0;
        QTest::newRow("max clamps") << 0u << 80u << 0u << 95.0 << 80.0;
        QTest::newRow("min clamps") << 20u << 0u << 0u << 0.0 << 20.0;
        QTest::newRow("snap 10 at 47") << 0u << 0u << 10u << 47.0 << 50.0;
        QTest::newRow("snap 10 at 44") << 0u << 0u << 10u << 44.0 << 40.0;
        QTest::newRow("snap 10 at 45 rounds away from zero") << 0u << 0u << 10u << 45.0 << 50.0;
    }
    void rangeAndSnap() {
        QFETCH(unsigned, min);
        QFETCH(unsigned, max);
        QFETCH(unsigned, snap);
        QFETCH(double, pointer);
        QFETCH(double, value);
        Fixture f;
        f.slider.setMin(min);
        f.slider.setMax(max);
        f.slider.setSnap(snap);
        QTest::mousePress(&f.slider, Qt::LeftButton, {}, Fixture::at(pointer));
        QTest::mouseRelease(&f.slider, Qt::LeftButton, {}, Fixture::at(pointer));
        QCOMPARE(f.slider.doubleValue(), value);
        QCOMPARE(f.recorder.values, std::vector<double>{value});
    }

    void programmedValuesAreSilent() {
        Fixture f;
        f.slider.setDoubleValue(30);
        QCOMPARE(f.slider.doubleValue(), 30.0);
        QVERIFY(f.recorder.values.empty());
    }

    void unchangedValueSendsNothing() {
        Fixture f;
        f.slider.setSnap(10);
        QTest::mousePress(&f.slider, Qt::LeftButton, {}, Fixture::at(47));
        QTest::mouseMove(&f.slider, Fixture::at(52));  // snaps to the same 50
        QTest::mouseMove(&f.slider, Fixture::at(71));
        QTest::mouseRelease(&f.slider, Qt::LeftButton, {}, Fixture::at(71));
        QCOMPARE(f.recorder.values, (std::vector<double>{50, 70}));
        QVERIFY(!f.slider.down());
        f.slider.setDoubleValue(20);
        QCOMPARE(f.recorder.values.size(), std::size_t(2));
    }

    void withoutThumbThePointerDoesNothing() {
        Slider slider;
        Recorder recorder;
        slider.setDelegate(&recorder);
        slider.resize(216, 24);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(100, 12));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(100, 12));
        QCOMPARE(slider.doubleValue(), 0.0);
        QVERIFY(recorder.values.empty());
    }

    // The keys move the thumb by the snap step within the range and tell the delegate, as the
    // pointer does; a key at the end of the range tells nothing.
    void keysMoveByTheSnapStepWithinTheRange() {
        Fixture f;
        f.slider.setSnap(10);
        f.slider.setMin(20);
        f.slider.setDoubleValue(50);
        QTest::keyClick(&f.slider, Qt::Key_Right);
        QTest::keyClick(&f.slider, Qt::Key_Home);
        QTest::keyClick(&f.slider, Qt::Key_Left);
        QTest::keyClick(&f.slider, Qt::Key_End);
        QCOMPARE(f.recorder.values, (std::vector<double>{60, 20, 100}));
        QVERIFY(!f.slider.down());
    }
};

QTEST_MAIN(SliderQtTest)
#include "SliderQtTest.moc"
