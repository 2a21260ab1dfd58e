// Drag pictures.
#include "transfers/DragImage.h"

#include <QPainter>

#include "ui/Fonts.h"
#include "ui/ImageStore.h"

namespace harbrix::DragImage {
namespace {

constexpr int kNameX = 32;
constexpr int kNameWidth = 120;

}  // namespace

QString suffix(TransferOperation operation) {
    switch (operation) {
        case TransferOperation::copy:
            return QStringLiteral("copy");
        case TransferOperation::swap:
            return QStringLiteral("swap");
        case TransferOperation::overwrite:
            return QStringLiteral("nuke");
        case TransferOperation::move:
        case TransferOperation::none:
            break;
    }
    return QStringLiteral("move");
}

QPixmap image(const QString& suffix, const QString& presetName, qreal devicePixelRatio) {
    QPixmap picture = ui::ImageStore::shared().pixmap(
        QStringLiteral("TRANSFERS_drag_image_") + suffix, devicePixelRatio);
    if (picture.isNull() || suffix == QLatin1String("blank") || presetName.isEmpty())
        return picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = ui::fonts::font(ui::fonts::Weight::Regular, 14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString shown = QFontMetrics(font).elidedText(presetName, Qt::ElideRight, kNameWidth);
    const QSizeF size = picture.deviceIndependentSize();
    painter.drawText(QRectF(kNameX, 0, kNameWidth, size.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     shown);
    return picture;
}

}  // namespace harbrix::DragImage
