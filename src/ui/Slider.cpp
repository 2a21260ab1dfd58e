// Slider geometry, range, snapping and the pressed-only reports.
#include "ui/Slider.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/FocusRing.h"
#include "ui/ImageStore.h"
#include "ui/ThreeSlice.h"
#include "ui/ValueKeys.h"

namespace harbrix::ui {

Slider::Slider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void Slider::setImageName(const QString& name) {
    imageName_ = name;
    updateGeometry();
    update();
}

void Slider::setTrackImageName(const QString& name) {
    trackImageName_ = name;
    update();
}

QSize Slider::sizeHint() const {
    const QSize thumb = ImageStore::shared().size(imageName_);
    return QSize(std::max(thumb.width() * 8, 160), std::max(thumb.height(), 16));
}

void Slider::setDoubleValue(double value) {
    if (min_ != 0) value = std::max(value, static_cast<double>(min_));
    value = std::min(value, static_cast<double>(max_ != 0 ? max_ : 100));
    if (snap_ != 0) value = std::round(value / snap_) * snap_;
    if (value == value_) return;
    value_ = value;
    update();
    if (down_ && delegate_ != nullptr) delegate_->slider(this, value_);
}

void Slider::slide(double x) {
    const QSize thumb = ImageStore::shared().size(imageName_);
    if (thumb.isEmpty()) return;
    const double travel = width() - thumb.width();
    if (travel <= 0) return;
    setDoubleValue(std::clamp(x - thumb.width() / 2.0, 0.0, travel) / travel * 100.0);
}

void Slider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    down_ = true;
    slide(event->position().x());
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    if (!down_) return;
    slide(event->position().x());
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !down_) return;
    slide(event->position().x());
    down_ = false;
}

void Slider::keyPressEvent(QKeyEvent* event) {
    if (!ValueKeyGesture::isValueKey(*event)) return QWidget::keyPressEvent(event);
    const double step = snap_ != 0 ? snap_ : 1;
    const ValueSteps steps{step, std::max(step, 10.0), static_cast<double>(min_),
                           static_cast<double>(max_ != 0 ? max_ : 100)};
    // A key moves the thumb as the pressed pointer does, and tells the delegate alike.
    const bool wasDown = std::exchange(down_, true);
    setDoubleValue(*valueForKey(event->key(), value_, steps));
    down_ = wasDown;
}

void Slider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasFocus()) paintFocusRing(painter, rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal ratio = devicePixelRatioF();
    if (!trackImageName_.isEmpty()) {
        const QSize track = ImageStore::shared().size(trackImageName_);
        const QRectF area(0, (height() - track.height()) / 2.0, width(), track.height());
        drawThreeSlice(painter, area, trackImageName_, Qt::Horizontal, ratio);
    }
    const QPixmap thumb = ImageStore::shared().pixmap(imageName_, ratio);
    if (thumb.isNull()) return;
    const QSizeF size = thumb.deviceIndependentSize();
    const double p = value_ / 100.0;
    painter.drawPixmap(QPointF((width() - size.width()) * p, (height() - size.height()) / 2.0),
                       thumb);
}

}  // namespace harbrix::ui
