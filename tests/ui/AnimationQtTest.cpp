// Fades end shown or hidden, slides end in place, and a view destroyed mid-way drops its
// completion.
#include <QPointer>
#include <QTest>

#include "ui/Animation.h"

namespace animation = harbrix::ui::animation;

class AnimationQtTest : public QObject {
    Q_OBJECT
  private slots:
    void fadesEndShownOrHidden() {
        QWidget view;
        view.show();
        bool done = false;
        animation::fade(&view, false, 40, [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 2000);
        QVERIFY(view.isHidden());
        QVERIFY(view.graphicsEffect() == nullptr);
        done = false;
        animation::fade(&view, true, 40, [&] { done = true; });
        QVERIFY(view.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(done, 2000);
        QVERIFY(view.isVisible());
    }

    void slideEndsAtItsTarget() {
        QWidget parent;
        auto* view = new QWidget(&parent);
        parent.show();
        bool done = false;
        animation::slide(view, QPoint(-300, 0), 40, [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 2000);
        QCOMPARE(view->pos(), QPoint(-300, 0));
    }

    void destroyedViewDropsItsCompletion() {
        auto* view = new QWidget;
        view->show();
        bool done = false;
        animation::fade(view, false, 40, [&] { done = true; });
        delete view;
        // A fade started later ends later: once it has, the deleted view's would have too.
        QWidget witness;
        witness.show();
        bool witnessed = false;
        animation::fade(&witness, false, 40, [&] { witnessed = true; });
        QTRY_VERIFY(witnessed);
        QVERIFY(!done);
    }

    void easeInEaseOutIsSymmetric() {
        const QEasingCurve curve = animation::easeInEaseOut();
        QVERIFY(qAbs(curve.valueForProgress(0.5) - 0.5) < 1e-3);
        QVERIFY(curve.valueForProgress(0.1) < 0.1);
        QVERIFY(curve.valueForProgress(0.9) > 0.9);
    }

    void instantAnimationsEndBeforeReturning() {
        animation::setInstant(true);
        QWidget view;
        bool done = false;
        animation::fade(&view, true, animation::kScreenFadeMs, [&] { done = true; });
        QVERIFY(done);
        QVERIFY(!view.isHidden());
        animation::setInstant(false);
    }
};

QTEST_MAIN(AnimationQtTest)
#include "AnimationQtTest.moc"
