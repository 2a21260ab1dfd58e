// Labels and colour views.
#include "ui/Label.h"

#include <QPainter>

namespace harbrix::ui {

Label::Label(const QString& text, fonts::Weight weight, qreal pointSize, const QColor& color,
             QWidget* parent)
    : QLabel(text, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFontWeight(weight, pointSize);
    setColor(color);
}

void Label::setColor(const QColor& color) {
    color_ = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    setPalette(palette);
}

void Label::setFontWeight(fonts::Weight weight, qreal pointSize) {
    setFont(fonts::font(weight, pointSize));
}

void Label::sizeToFit() {
    resize(sizeHint());
}

ColorView::ColorView(const QColor& color, QWidget* parent) : QWidget(parent), color_(color) {}

void ColorView::setColor(const QColor& color) {
    color_ = color;
    update();
}

void ColorView::setCornerRadius(qreal radius) {
    radius_ = radius;
    update();
}

void ColorView::setOutline(const QColor& color, qreal width) {
    outline_ = color;
    outlineWidth_ = width;
    update();
}

void ColorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal inset = outlineWidth_ / 2;
    const QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    painter.setPen(outlineWidth_ > 0 ? QPen(outline_, outlineWidth_) : QPen(Qt::NoPen));
    painter.setBrush(color_);
    painter.drawRoundedRect(area, radius_, radius_);
}

}  // namespace harbrix::ui
