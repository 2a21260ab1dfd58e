// The focus ring.
#include "ui/FocusRing.h"

#include <QPen>

#include <algorithm>

#include "ui/Colors.h"

namespace harbrix::ui {

void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius) {
    constexpr qreal kWidth = 2;
    // Inside the rectangle, so a control's own clip never cuts the ring.
    const QRectF ring = rect.adjusted(kWidth / 2, kWidth / 2, -kWidth / 2, -kWidth / 2);
    if (ring.isEmpty()) return;
    const qreal rounded = std::min(radius, std::min(ring.width(), ring.height()) / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1.0);
    painter.setPen(QPen(rgb(colors::kYellow), kWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring, rounded, rounded);
    painter.restore();
}

}  // namespace harbrix::ui
