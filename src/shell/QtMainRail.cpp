// One Qt timer stands for the main rail's next due time; every wake posts a queued call
// that drains what is due and re-arms the timer.
#include "shell/QtMainRail.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "platform/MainLoop.h"

namespace harbrix {
namespace {

using Clock = SerialQueue::Clock;

QTimer* dueTimer() {
    static QTimer* timer = [] {
        auto* made = new QTimer(qApp);
        made->setSingleShot(true);
        made->setTimerType(Qt::PreciseTimer);
        return made;
    }();
    return timer;
}

void drainMainRail();

// On the GUI thread: drain now when due, else make sure the timer fires by `due`.
void arm(Clock::time_point due) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
    if (wait.count() <= 0) {
        drainMainRail();
        return;
    }
    QTimer* timer = dueTimer();
    const int milliseconds =
        static_cast<int>(std::min<long long>(wait.count() + 1, 24LL * 3600 * 1000));
    if (!timer->isActive() || timer->remainingTime() > milliseconds) timer->start(milliseconds);
}

void drainMainRail() {
    if (const auto next = MainLoop::queue()->drain()) arm(*next);
}

}  // namespace

void bindMainRailToQt() {
    QObject::connect(dueTimer(), &QTimer::timeout, qApp, [] { drainMainRail(); });
    MainLoop::bind([](Clock::time_point due) {
        QMetaObject::invokeMethod(
            qApp, [due] { arm(due); }, Qt::QueuedConnection);
    });
    // Work posted before the binding is waiting already.
    QMetaObject::invokeMethod(
        qApp, [] { drainMainRail(); }, Qt::QueuedConnection);
}

}  // namespace harbrix
