// The drag picture over the window.
#include "transfers/DragOverlay.h"

#include <QPainter>

namespace harbrix {

DragOverlay::DragOverlay(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void DragOverlay::show(const QPixmap& picture, const QString& suffix, const QPoint& pointer) {
    const QSize size = picture.deviceIndependentSize().toSize();
    const QRect frame(pointer - QPoint(size.width() / 2, -kDrop), size);
    if (suffix != suffix_ || picture.cacheKey() != picture_.cacheKey()) {
        picture_ = picture;
        suffix_ = suffix;
        update();
    }
    if (geometry() != frame) setGeometry(frame);
    if (isHidden()) {
        raise();
        QWidget::show();
    }
}

void DragOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

}  // namespace harbrix
