// The click area's timing: a press while the first click is pending makes a double click.
#include "ui/HotSpotButton.h"

#include <QMouseEvent>

#include <cmath>

namespace harbrix::ui {

namespace {

std::function<bool()>& hoverBlocker() {
    static std::function<bool()> blocker;
    return blocker;
}

}  // namespace

HotSpotButton::HotSpotButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(false);
    singleClick_.setSingleShot(true);
    singleClick_.setInterval(kClickDelayMs);
    connect(&singleClick_, &QTimer::timeout, this, &HotSpotButton::clicked);
}

void HotSpotButton::setHoverBlocker(std::function<bool()> blocker) {
    hoverBlocker() = std::move(blocker);
}

void HotSpotButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (!isEnabled() || (hoverBlocker() && hoverBlocker()())) return;
    emit hoverChanged(true);
}

void HotSpotButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit hoverChanged(false);
}

void HotSpotButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    origin_ = event->position().toPoint();
    // A press while the first click still waits makes this the second click of a double one.
    secondClick_ = singleClick_.isActive();
    singleClick_.stop();
}

void HotSpotButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void HotSpotButton::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || dragging_) return;
    const QPoint position = event->position().toPoint();
    const QPoint moved = position - origin_;
    if (std::hypot(moved.x(), moved.y()) < kDragDistance) return;
    dragging_ = true;
    secondClick_ = false;
    emit dragStarted(origin_, position);
}

void HotSpotButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        return;
    }
    if (!rect().contains(event->position().toPoint())) {
        secondClick_ = false;
        return;
    }
    if (secondClick_) {
        secondClick_ = false;
        emit doubleClicked();
        return;
    }
    singleClick_.start();
}

}  // namespace harbrix::ui
