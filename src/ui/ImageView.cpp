// A view of one named image.
#include "ui/ImageView.h"

#include <QPainter>

#include "ui/ImageStore.h"

namespace harbrix::ui {

ImageView::ImageView(const QString& imageName, QWidget* parent)
    : QWidget(parent), imageName_(imageName) {}

void ImageView::setImageName(const QString& name) {
    if (name == imageName_) return;
    imageName_ = name;
    updateGeometry();
    update();
}

void ImageView::setScaling(Scaling scaling) {
    scaling_ = scaling;
    update();
}

QSize ImageView::sizeHint() const {
    const QSize size = ImageStore::shared().size(imageName_);
    return size.isEmpty() ? QSize(16, 16) : size;
}

void ImageView::paintEvent(QPaintEvent*) {
    if (imageName_.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (scaling_ == Scaling::Stretch) {
        painter.drawPixmap(rect(),
                           ImageStore::shared().pixmap(imageName_, size(), devicePixelRatioF()));
        return;
    }
    const QPixmap image = ImageStore::shared().pixmap(imageName_, devicePixelRatioF());
    const QSizeF natural = image.deviceIndependentSize();
    painter.drawPixmap(
        QPointF((width() - natural.width()) / 2.0, (height() - natural.height()) / 2.0), image);
}

}  // namespace harbrix::ui
