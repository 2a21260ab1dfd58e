// The focus ring.
#include "ui/FocusRing.h"

#include <QPen>

#include "ui/Colors.h"

namespace harbrix::ui {

void paintFocusRing(QPainter& painter, QRectF frame, qreal radius) {
    constexpr qreal kWidth = 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(rgb(colors::kYellow), kWidth));
    painter.setBrush(Qt::NoBrush);
    // The pen straddles the path: half its width in keeps the whole ring inside the frame.
    painter.drawRoundedRect(frame.adjusted(kWidth / 2, kWidth / 2, -kWidth / 2, -kWidth / 2),
                            radius, radius);
    painter.restore();
}

}  // namespace harbrix::ui
