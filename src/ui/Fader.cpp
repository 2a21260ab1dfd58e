// Fader geometry: the cap table, the travel and the pointer gestures.
#include "ui/Fader.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "ui/FocusRing.h"
#include "ui/ImageStore.h"
#include "ui/ThreeSlice.h"

namespace harbrix::ui {

Fader::Fader(QWidget* parent) : QWidget(parent), assets_(kEntries) {
    setFocusPolicy(Qt::TabFocus);
}

void Fader::setDelegate(FaderDelegate* delegate) {
    delegate_ = delegate;
    loadCaps();
}

void Fader::loadCaps() {
    assets_.assign(kEntries, QPixmap());
    if (delegate_ == nullptr) return;
    const std::map<int, QPixmap> thresholds = delegate_->capAssetsAndThresholds(this);
    // From the highest threshold down: each fills the entries from the highest one not yet
    // filled down to itself. Thresholds above 100 are ignored.
    int unfilled = kEntries - 1;
    for (auto it = thresholds.rbegin(); it != thresholds.rend(); ++it) {
        const int threshold = it->first;
        if (threshold > kEntries - 1 || it->second.isNull()) continue;
        for (int i = unfilled; i >= std::max(threshold, 0); --i) assets_[i] = it->second;
        unfilled = std::min(unfilled, std::max(threshold, 0) - 1);
    }
    updateGeometry();
    update();
}

void Fader::setTrackImageName(const QString& name) {
    trackImageName_ = name;
    update();
}

const QPixmap* Fader::firstCap() const {
    for (const auto& cap : assets_)
        if (!cap.isNull()) return &cap;
    return nullptr;
}

QPixmap Fader::currentCap() const {
    const auto index = std::clamp(static_cast<int>(std::floor(value_)), 0, kEntries - 1);
    return assets_[index];
}

QSize Fader::sizeHint() const {
    const QPixmap* cap = firstCap();
    const QSize capSize = cap != nullptr ? cap->deviceIndependentSize().toSize() : QSize(24, 16);
    return QSize(capSize.width(), capSize.height() * 8);
}

void Fader::setDoubleValue(double percentage) {
    const double clamped = std::clamp(percentage, 0.0, 100.0);
    if (clamped == value_) return;
    value_ = clamped;
    update();
}

void Fader::slide(double y) {
    const QPixmap* cap = firstCap();
    if (cap == nullptr) return;
    const double capHeight = cap->deviceIndependentSize().height();
    const double travel = height() - capHeight;
    if (travel <= 0) return;
    setDoubleValue(std::clamp(y - capHeight / 2, 0.0, travel) / travel * 100.0);
}

void Fader::slideTo(const QMouseEvent* event) {
    slide(height() - event->position().y());
}

void Fader::report(bool final) {
    if (delegate_ != nullptr) delegate_->fader(this, final, value_);
}

void Fader::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    slideTo(event);
    if (continuous_) report(false);
}

void Fader::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    slideTo(event);
    if (continuous_) report(false);
}

void Fader::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    slideTo(event);
    report(true);
}

// Moving with the keys: each press moves the cap, and the release is the gesture's end.
void Fader::keyPressEvent(QKeyEvent* event) {
    if (!ValueKeyGesture::isValueKey(*event)) return QWidget::keyPressEvent(event);
    if (const auto moved = keys_.press(*event, value_, {keyStep_, 10 * keyStep_, 0, 100})) {
        setDoubleValue(*moved);
        if (continuous_) report(false);
    }
}

void Fader::keyReleaseEvent(QKeyEvent* event) {
    if (!ValueKeyGesture::isValueKey(*event)) return QWidget::keyReleaseEvent(event);
    if (keys_.release(*event)) report(true);
}

// A key still held when the keyboard goes elsewhere ends its move here, so it is kept.
void Fader::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (keys_.end()) report(true);
}

void Fader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasFocus()) paintFocusRing(painter, rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!trackImageName_.isEmpty()) {
        const QSize track = ImageStore::shared().size(trackImageName_);
        const QRectF area((width() - track.width()) / 2.0, 0, track.width(), height());
        drawThreeSlice(painter, area, trackImageName_, Qt::Vertical, devicePixelRatioF());
    }
    const QPixmap cap = currentCap();
    if (cap.isNull()) return;
    const QSizeF size = cap.deviceIndependentSize();
    const double p = value_ / 100.0;
    const double fromBottom = (height() - size.height()) * p;
    painter.drawPixmap(
        QPointF((width() - size.width()) / 2.0, height() - size.height() - fromBottom), cap);
}

}  // namespace harbrix::ui
