// Knob geometry: angles from the pointer, percentages of angles, the detent and the dead zone.
#include "ui/Knob.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/FocusRing.h"
#include "ui/ImageStore.h"

namespace harbrix::ui {

namespace {

constexpr double kPi = std::numbers::pi;
// The two ends of the sweep, anticlockwise from straight up.
constexpr double kZeroEnd = 3 * kPi / 4;
constexpr double kFullEnd = 5 * kPi / 4;
// Angles are recomputed from degrees; resting "at an end" tolerates the rounding.
constexpr double kEndTolerance = 1e-9;

double degrees(double radians) {
    return radians * 180.0 / kPi;
}
double radians(double degrees) {
    return degrees * kPi / 180.0;
}

// Rounds halves away from zero, as the 7-bit parameter values do.
long sevenBit(double percentage) {
    return std::min(std::lround(percentage * 127.0 / 100.0), 127L);
}

}  // namespace

Knob::Knob(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void Knob::setImageName(const QString& name) {
    imageName_ = name;
    updateGeometry();
    update();
}

QSize Knob::sizeHint() const {
    const QSize size = ImageStore::shared().size(imageName_);
    return size.isEmpty() ? QSize(48, 48) : size;
}

QPointF Knob::center() const {
    return centerSet_ ? center_ : QPointF(width() / 2.0, height() / 2.0);
}

void Knob::setCenter(const QPointF& center) {
    center_ = center;
    centerSet_ = true;
}

double Knob::percentageForAngle(double angle) {
    const double turned = std::fmod(-degrees(angle) + 180.0 + 36000.0, 360.0);
    return (turned - 45.0) * 100.0 / 270.0;
}

double Knob::angleForPercentage(double percentage) {
    const double turned = percentage * 270.0 / 100.0 + 45.0;
    double wrapped = std::fmod(180.0 - turned, 360.0);
    if (wrapped < 0) wrapped += 360.0;
    return radians(wrapped);
}

double Knob::normalizedAngleFromPoint(const QPointF& point) const {
    const QPointF middle = center();
    // Widget y grows downwards; the bearing is measured with y growing upwards.
    const double dx = point.x() - middle.x();
    const double dy = middle.y() - point.y();
    const double bearing = std::fmod(degrees(std::atan2(dx, dy)) + 360.0, 360.0);
    double working = -radians(bearing);  // in (-2pi, 0]
    if (limited_ && working > -5 * kPi / 4 && working < -3 * kPi / 4)
        working = working >= -kPi ? -3 * kPi / 4 : -5 * kPi / 4;
    return radians(std::fmod(degrees(working) + 36000.0, 360.0));
}

void Knob::spin(double angle) {
    if (angle == angle_) return;
    if (plusOrMinus_ && std::abs(sevenBit(percentageForAngle(angle)) - 64) < 5)
        angle = angleForPercentage(kCentre);
    angle_ = angle;
    // Outside the sweep (only an unlimited knob gets there) the value stays at the nearer
    // end, so a delegate never sees a percentage below 0 or above 100.
    value_ = std::clamp(percentageForAngle(angle_), 0.0, 100.0);
    update();
}

void Knob::setDoubleValue(double percentage) {
    angle_ = angleForPercentage(percentage);
    value_ = std::clamp(percentage, 0.0, 100.0);
    update();
}

void Knob::report(bool final) {
    if (delegate_ != nullptr) delegate_->knob(this, final, value_);
}

void Knob::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    spin(normalizedAngleFromPoint(event->position()));
    if (continuous_) report(false);
}

void Knob::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const double angle = normalizedAngleFromPoint(event->position());
    // A limited knob resting at an end is not carried across the dead zone to the other.
    if (limited_) {
        const bool atZero = std::abs(angle_ - kZeroEnd) < kEndTolerance;
        const bool atFull = std::abs(angle_ - kFullEnd) < kEndTolerance;
        if ((atZero && angle > angle_) || (atFull && angle < angle_)) return;
    }
    spin(angle);
    if (continuous_) report(false);
}

void Knob::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    report(true);
}

// Turning with the keys: each press moves the knob without the detent, as setting a value
// does, and the release is the gesture's end.
void Knob::keyPressEvent(QKeyEvent* event) {
    if (!ValueKeyGesture::isValueKey(*event)) return QWidget::keyPressEvent(event);
    if (const auto moved = keys_.press(*event, value_, {keyStep_, 10 * keyStep_, 0, 100})) {
        setDoubleValue(*moved);
        if (continuous_) report(false);
    }
}

void Knob::keyReleaseEvent(QKeyEvent* event) {
    if (!ValueKeyGesture::isValueKey(*event)) return QWidget::keyReleaseEvent(event);
    if (keys_.release(*event)) report(true);
}

// A key still held when the keyboard goes elsewhere ends its turn here, so it is kept.
void Knob::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (keys_.end()) report(true);
}

void Knob::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasFocus()) paintFocusRing(painter, rect(), std::min(width(), height()) / 2.0);
    const QPixmap image = ImageStore::shared().pixmap(imageName_, devicePixelRatioF());
    if (image.isNull()) return;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QPointF middle = center();
    painter.translate(middle);
    // Qt turns clockwise for positive angles; the knob's angle is anticlockwise.
    painter.rotate(-degrees(angle_));
    const QSizeF size = image.deviceIndependentSize();
    painter.drawPixmap(QPointF(-size.width() / 2, -size.height() / 2), image);
}

}  // namespace harbrix::ui
