// The keyboard focus ring every control of ours draws around itself while it holds the
// keyboard: one look, in the accent colour, whichever control it is.
#pragma once

#include <QPainter>
#include <QRectF>

namespace harbrix::ui {

// Strokes the ring just inside `rect` (a control's own rectangle), rounded by `radius`
// points; `radius` of half the smaller side or more draws a circle-like ring. Leaves the
// painter as it found it.
void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius = 4);

}  // namespace harbrix::ui
