// View geometry helpers.
#include "ui/Geometry.h"

namespace harbrix::ui::geometry {

void setX(QWidget* view, int x) {
    view->move(x, view->y());
}
void setY(QWidget* view, int y) {
    view->move(view->x(), y);
}
void setWidth(QWidget* view, int width) {
    view->resize(width, view->height());
}
void setHeight(QWidget* view, int height) {
    view->resize(view->width(), height);
}
int rightEdge(const QWidget* view) {
    return view->x() + view->width();
}
void sizeToFit(QWidget* view) {
    view->resize(view->sizeHint());
}

void centerVertically(QWidget* view, const QRect& area) {
    view->move(view->x(), area.top() + (area.height() - view->height()) / 2);
}

void centerHorizontally(QWidget* view, const QRect& area) {
    view->move(area.left() + (area.width() - view->width()) / 2, view->y());
}

QRectF grown(const QRectF& frame, qreal by) {
    return frame.adjusted(-by, -by, by, by);
}

QRectF flipped(const QRectF& frame, qreal containerHeight) {
    return QRectF(frame.x(), containerHeight - frame.y() - frame.height(), frame.width(),
                  frame.height());
}

}  // namespace harbrix::ui::geometry
