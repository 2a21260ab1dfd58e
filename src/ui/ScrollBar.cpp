// The image scroll bar computes its own knob geometry, so drawing and dragging agree.
#include "ui/ScrollBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ui/ImageStore.h"
#include "ui/ThreeSlice.h"

namespace harbrix::ui {

ScrollBar::ScrollBar(const QString& imageName, Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent), imageName_(imageName) {
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize ScrollBar::sizeHint() const {
    const QSize image = ImageStore::shared().size(imageName_);
    const int thickness =
        (orientation() == Qt::Vertical ? image.width() : image.height()) + 2 * kMargin;
    return orientation() == Qt::Vertical ? QSize(thickness, 64) : QSize(64, thickness);
}

int ScrollBar::along(const QPoint& point) const {
    return orientation() == Qt::Vertical ? point.y() : point.x();
}

int ScrollBar::trackLength() const {
    return (orientation() == Qt::Vertical ? height() : width()) - 2 * kMargin;
}

QRect ScrollBar::knobRect() const {
    const int range = maximum() - minimum();
    const int track = trackLength();
    if (range <= 0 || track <= 0) return {};
    const double visible = static_cast<double>(pageStep()) / (range + pageStep());
    const int length =
        std::min(track, std::max(kMinimumKnobLength, static_cast<int>(track * visible)));
    const int offset =
        static_cast<int>(static_cast<double>(value() - minimum()) / range * (track - length));
    const QSize image = ImageStore::shared().size(imageName_);
    if (orientation() == Qt::Vertical)
        return QRect((width() - image.width()) / 2, kMargin + offset, image.width(), length);
    return QRect(kMargin + offset, (height() - image.height()) / 2, length, image.height());
}

void ScrollBar::paintEvent(QPaintEvent*) {
    const QRect knob = knobRect();
    if (knob.isEmpty()) return;
    QPainter painter(this);
    if (grabOffset_ < 0 && !underMouse()) painter.setOpacity(0.8);
    drawThreeSlice(painter, knob, imageName_, orientation(), devicePixelRatioF());
}

void ScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QRect knob = knobRect();
    if (knob.isEmpty()) return;
    const QPoint point = event->position().toPoint();
    if (knob.contains(point)) {
        grabOffset_ = along(point) - along(knob.topLeft());
        setSliderDown(true);
        return;
    }
    triggerAction(along(point) < along(knob.topLeft()) ? SliderPageStepSub : SliderPageStepAdd);
}

void ScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (grabOffset_ < 0) return;
    const QRect knob = knobRect();
    const int knobLength = orientation() == Qt::Vertical ? knob.height() : knob.width();
    const int free = trackLength() - knobLength;
    if (free <= 0) return;
    const int start = along(event->position().toPoint()) - grabOffset_ - kMargin;
    const double fraction = std::clamp(static_cast<double>(start) / free, 0.0, 1.0);
    setSliderPosition(minimum() + static_cast<int>(fraction * (maximum() - minimum()) + 0.5));
}

void ScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || grabOffset_ < 0) return;
    grabOffset_ = -1;
    setSliderDown(false);
    update();
}

}  // namespace harbrix::ui
