// Three-slice drawing from the image store's pixmaps.
#include "ui/ThreeSlice.h"

#include <algorithm>

#include "ui/ImageStore.h"

namespace harbrix::ui {

void drawThreeSlice(QPainter& painter, const QRectF& area, const QString& imageName,
                    Qt::Orientation orientation, qreal devicePixelRatio, qreal cap) {
    const QPixmap image = ImageStore::shared().pixmap(imageName, devicePixelRatio);
    if (image.isNull() || area.isEmpty()) return;
    const QSizeF natural = image.deviceIndependentSize();
    const bool horizontal = orientation == Qt::Horizontal;
    const qreal length = horizontal ? natural.width() : natural.height();
    const qreal thickness = horizontal ? natural.height() : natural.width();
    if (cap < 0) cap = thickness / 2;
    cap = std::min(cap, length / 2);
    const qreal areaLength = horizontal ? area.width() : area.height();
    const qreal drawnCap = std::min(cap, areaLength / 2);
    const qreal scale = image.devicePixelRatio();

    // Source and target pieces along the long axis: start cap, middle, end cap.
    const qreal sourceStops[4] = {0, cap, length - cap, length};
    const qreal targetStops[4] = {0, drawnCap, areaLength - drawnCap, areaLength};
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int piece = 0; piece < 3; ++piece) {
        const qreal s0 = sourceStops[piece], s1 = sourceStops[piece + 1];
        const qreal t0 = targetStops[piece], t1 = targetStops[piece + 1];
        if (s1 <= s0 || t1 <= t0) continue;
        const QRectF source = horizontal
                                  ? QRectF(s0 * scale, 0, (s1 - s0) * scale, thickness * scale)
                                  : QRectF(0, s0 * scale, thickness * scale, (s1 - s0) * scale);
        const QRectF target = horizontal
                                  ? QRectF(area.left() + t0, area.top(), t1 - t0, area.height())
                                  : QRectF(area.left(), area.top() + t0, area.width(), t1 - t0);
        painter.drawPixmap(target, image, source);
    }
    painter.restore();
}

ThreeSliceView::ThreeSliceView(const QString& imageName, Qt::Orientation orientation,
                               QWidget* parent)
    : QWidget(parent), imageName_(imageName), orientation_(orientation) {}

void ThreeSliceView::setImageName(const QString& name) {
    imageName_ = name;
    updateGeometry();
    update();
}

void ThreeSliceView::setCap(qreal cap) {
    cap_ = cap;
    update();
}

QSize ThreeSliceView::sizeHint() const {
    const QSize natural = ImageStore::shared().size(imageName_);
    return natural.isEmpty() ? QSize(32, 16) : natural;
}

void ThreeSliceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawThreeSlice(painter, rect(), imageName_, orientation_, devicePixelRatioF(), cap_);
}

}  // namespace harbrix::ui
