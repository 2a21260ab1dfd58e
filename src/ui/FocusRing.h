// The keyboard focus ring our own controls draw: a rounded outline in the accent colour, just
// inside the control's frame so that neighbours and clipping parents never cut it off.
#pragma once

#include <QPainter>
#include <QRectF>

namespace harbrix::ui {

// Draws the ring inside `frame` (the control's own coordinates), its corners `radius` round.
void paintFocusRing(QPainter& painter, QRectF frame, qreal radius = 4);

}  // namespace harbrix::ui
