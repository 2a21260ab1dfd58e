// The window background.
#include "shell/Background.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"

namespace harbrix {

Background::Background(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Background::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The store keeps the drawn image, so the picture is made once per size.
    painter.drawPixmap(rect(),
                       ui::ImageStore::shared().pixmap(ui::imageName(ui::images::kWindowBackground),
                                                       size(), devicePixelRatioF()));
}

void Background::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void Background::keyReleaseEvent(QKeyEvent* event) {
    event->ignore();
}

}  // namespace harbrix
