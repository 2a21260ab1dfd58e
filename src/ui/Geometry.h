// Small helpers for placing views: move one edge or the origin, read the right edge, centre
// in a rectangle, grow a frame, and turn the screens' bottom-left frames into Qt's top-left.
#pragma once

#include <QRect>
#include <QRectF>
#include <QWidget>

namespace harbrix::ui::geometry {

void setX(QWidget* view, int x);
void setY(QWidget* view, int y);
void setWidth(QWidget* view, int width);
void setHeight(QWidget* view, int height);
// Right edge as the screens measure it: x + width.
int rightEdge(const QWidget* view);
// Resizes to the view's size hint, keeping its top-left corner.
void sizeToFit(QWidget* view);
// Centres the view vertically (horizontally) on `area`, keeping the other coordinate.
void centerVertically(QWidget* view, const QRect& area);
void centerHorizontally(QWidget* view, const QRect& area);
// The frame grown by `by` on every side (negative shrinks).
QRectF grown(const QRectF& frame, qreal by);
// A frame measured from the bottom-left corner of a container `containerHeight` high, as a
// frame measured from its top-left corner (and back: the conversion is its own inverse).
QRectF flipped(const QRectF& frame, qreal containerHeight);

}  // namespace harbrix::ui::geometry
