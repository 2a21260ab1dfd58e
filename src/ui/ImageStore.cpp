// SVG images rendered into pixmaps of whole device pixels and cached by name, size and ratio.
#include "ui/ImageStore.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

#include "platform/Log.h"

namespace harbrix::ui {

ImageStore& ImageStore::shared() {
    static ImageStore store;
    return store;
}

QString ImageStore::path(const QString& name) {
    return QStringLiteral(":/images/%1.svg").arg(name);
}

bool ImageStore::contains(const QString& name) const {
    return !name.isEmpty() && QFile::exists(path(name));
}

QSize ImageStore::size(const QString& name) const {
    if (!contains(name)) return {};
    QSvgRenderer renderer(path(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

bool ImageStore::reportMissing(const QString& name) {
    if (!reported_.contains(name)) {
        reported_.insert(name);
        logFormat("image \"%s\" is missing", name.toUtf8().constData());
    }
    return false;
}

QPixmap ImageStore::pixmap(const QString& name, qreal devicePixelRatio) {
    return pixmap(name, QSize(), devicePixelRatio);
}

QPixmap ImageStore::pixmap(const QString& name, const QSize& requested, qreal devicePixelRatio) {
    if (devicePixelRatio <= 0) devicePixelRatio = 1.0;
    const QString key = QStringLiteral("%1|%2x%3|%4")
                            .arg(name)
                            .arg(requested.width())
                            .arg(requested.height())
                            .arg(devicePixelRatio);
    if (const auto found = cache_.constFind(key); found != cache_.constEnd()) return *found;
    if (!contains(name)) {
        reportMissing(name);
        return {};
    }
    QSvgRenderer renderer(path(name));
    if (!renderer.isValid()) {
        reportMissing(name);
        return {};
    }
    const QSize points = requested.isEmpty() ? renderer.defaultSize() : requested;
    // Whole device pixels, so a 2x screen gets exactly twice the pixels of a 1x one.
    const QSize pixels(static_cast<int>(std::ceil(points.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(points.height() * devicePixelRatio)));
    QPixmap image(pixels);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    image.setDevicePixelRatio(devicePixelRatio);
    cache_.insert(key, image);
    return image;
}

QIcon ImageStore::icon(const QString& name) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap image = pixmap(name, ratio);
        if (!image.isNull()) icon.addPixmap(image);
    }
    return icon;
}

}  // namespace harbrix::ui
