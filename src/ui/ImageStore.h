// The one place images are loaded: by name from assets/images/NAME.svg (compiled into the
// kit), drawn at the device pixel ratio asked for so they stay crisp at 1x and 2x, and
// kept for the life of the process. Used on the main thread only.
#pragma once

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>

#include <string_view>

namespace harbrix::ui {

class ImageStore {
  public:
    static ImageStore& shared();

    bool contains(const QString& name) const;
    // The natural size in points; empty when there is no such image.
    QSize size(const QString& name) const;
    // The image at its natural size for a screen of that pixel ratio; a null pixmap when
    // there is no such image (logged once per name).
    QPixmap pixmap(const QString& name, qreal devicePixelRatio = 1.0);
    // The image drawn to fill `size` points.
    QPixmap pixmap(const QString& name, const QSize& size, qreal devicePixelRatio);
    // The image at 1x and 2x, for widgets that take icons.
    QIcon icon(const QString& name);
    // The resource path behind a name.
    static QString path(const QString& name);

  private:
    ImageStore() = default;
    bool reportMissing(const QString& name);

    QHash<QString, QPixmap> cache_;
    QSet<QString> reported_;
};

// Image names are built as UTF-8 texts (images::fill); the store takes them as QString.
inline QString imageName(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace harbrix::ui
