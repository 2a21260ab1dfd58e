// The pictures a dragged preset carries: the preset's name over a background that says what
// a drop would do ("TRANSFERS_drag_image_move", _copy, _swap, _nuke), or the blank one over
// the slot it came from and outside the slots.
#pragma once

#include <QPixmap>
#include <QString>

#include "transfers/TransferOperation.h"

namespace harbrix::DragImage {

// "move", "copy", "swap", "nuke" or "blank".
QString suffix(TransferOperation operation);
// The name drawn left-aligned in the regular weight at 14 points, cut with an ellipsis past
// 120 points, "~" shown as U+F888. The blank image draws no name.
QPixmap image(const QString& suffix, const QString& presetName, qreal devicePixelRatio);
inline QPixmap blank(qreal ratio) {
    return image(QStringLiteral("blank"), QString(), ratio);
}

}  // namespace harbrix::DragImage
