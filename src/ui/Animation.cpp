// Fades run on an opacity effect that is removed again at the end, so a faded-in view
// paints as fast as any other.
#include "ui/Animation.h"

#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>

#include <memory>

namespace harbrix::ui::animation {

namespace {

bool instantAnimations = false;

const char* const kFadeName = "harbrix-fade";
const char* const kSlideName = "harbrix-slide";

// Stops a running animation of the same kind; its `done` is dropped with it.
void stopRunning(QWidget* view, const char* name) {
    if (auto* running =
            view->findChild<QPropertyAnimation*>(QLatin1String(name), Qt::FindDirectChildrenOnly)) {
        QObject::disconnect(running, nullptr, nullptr, nullptr);
        running->stop();
        delete running;
    }
}

// Runs `done` once. What it captures is let go on a later turn of the event loop, never
// from inside the animation: a capture may own the animated view, and the view owns the
// animation, which would then be deleted from its own destructor.
std::function<void()> once(std::function<void()> done) {
    if (!done) return {};
    auto held = std::make_shared<std::function<void()>>(std::move(done));
    return [held] {
        std::function<void()> block = std::move(*held);
        *held = nullptr;
        if (!block) return;
        block();
        if (QCoreApplication* application = QCoreApplication::instance())
            QTimer::singleShot(0, application, [block = std::move(block)] {});
    };
}

}  // namespace

QEasingCurve easeInEaseOut() {
    // The standard ease-in-ease-out timing: a cubic Bezier through (0.42, 0) and (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

void setInstant(bool instant) {
    instantAnimations = instant;
}

void fade(QWidget* view, bool in, int durationMs, std::function<void()> done) {
    if (view == nullptr) return;
    stopRunning(view, kFadeName);
    auto finish = [view = QPointer<QWidget>(view), in, done = once(std::move(done))] {
        if (!view) return;
        view->setGraphicsEffect(nullptr);
        view->setVisible(in);
        if (done) done();
    };
    if (instantAnimations || durationMs <= 0) {
        finish();
        return;
    }
    auto* effect = new QGraphicsOpacityEffect(view);
    effect->setOpacity(in ? 0.0 : 1.0);
    view->setGraphicsEffect(effect);
    view->show();
    auto* animation = new QPropertyAnimation(effect, "opacity", view);
    animation->setObjectName(QLatin1String(kFadeName));
    animation->setDuration(durationMs);
    animation->setStartValue(in ? 0.0 : 1.0);
    animation->setEndValue(in ? 1.0 : 0.0);
    animation->setEasingCurve(easeInEaseOut());
    QObject::connect(animation, &QPropertyAnimation::finished, view, finish);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void slide(QWidget* view, const QPoint& to, int durationMs, std::function<void()> done) {
    if (view == nullptr) return;
    stopRunning(view, kSlideName);
    if (instantAnimations || durationMs <= 0) {
        view->move(to);
        if (done) done();
        return;
    }
    auto* animation = new QPropertyAnimation(view, "pos", view);
    animation->setObjectName(QLatin1String(kSlideName));
    animation->setDuration(durationMs);
    animation->setStartValue(view->pos());
    animation->setEndValue(to);
    animation->setEasingCurve(easeInEaseOut());
    QObject::connect(animation, &QPropertyAnimation::finished, view,
                     [done = once(std::move(done))] {
                         if (done) done();
                     });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace harbrix::ui::animation
