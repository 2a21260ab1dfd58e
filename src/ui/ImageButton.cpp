// Image buttons: choosing the state image, drawing it, and taking a layout button's place.
#include "ui/ImageButton.h"

#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QVariant>

#include "ui/FocusRing.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ThreeSlice.h"

namespace harbrix::ui {

namespace {

// A disabled button without its own image is drawn at this opacity.
constexpr qreal kFadedOpacity = 0.4;

QString suffixed(const QString& base, std::string_view suffix) {
    return base + imageName(suffix);
}

QString existing(const QString& name) {
    return ImageStore::shared().contains(name) ? name : QString();
}

}  // namespace

ImageButton::ImageButton(const QString& base, QWidget* parent) : QAbstractButton(parent) {
    base_ = base;
    if (!base.isEmpty())
        setImages(base, existing(suffixed(base, images::kPressed)),
                  existing(suffixed(base, images::kDisabled)),
                  existing(suffixed(base, images::kHover)));
}

void ImageButton::setImages(const QString& normal, const QString& pressed, const QString& disabled,
                            const QString& hover) {
    normal_ = normal;
    pressed_ = pressed;
    disabled_ = disabled;
    hover_ = hover;
    updateGeometry();
    update();
}

QString ImageButton::currentImageName() const {
    const QString resting =
        isCheckable() && isChecked() && !selected_.isEmpty() ? selected_ : normal_;
    if (!isEnabled()) return disabled_.isEmpty() ? resting : disabled_;
    if (isDown() && !pressed_.isEmpty()) return pressed_;
    if (isCheckable() && isChecked()) return resting;
    if (hovered_ && !hover_.isEmpty()) return hover_;
    return resting;
}

void ImageButton::setHovered(bool hovered) {
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    update();
}

void ImageButton::setTitleColors(const QColor& on, const QColor& off) {
    titleOn_ = on;
    titleOff_ = off;
    update();
}

void ImageButton::setStretchCap(qreal cap) {
    stretchCap_ = cap;
    update();
}

void ImageButton::setImageOffset(const QPoint& offset) {
    imageOffset_ = offset;
    update();
}

QSize ImageButton::sizeHint() const {
    QSize size = ImageStore::shared().size(normal_);
    if (size.isEmpty()) size = QSize(24, 24);
    if (!text().isEmpty())
        size.setWidth(std::max(size.width(), fontMetrics().horizontalAdvance(text()) + 24));
    return size;
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QString name = currentImageName();
    if (!isEnabled() && disabled_.isEmpty()) painter.setOpacity(kFadedOpacity);
    if (stretchCap_ >= 0) {
        drawThreeSlice(painter, rect(), name, Qt::Horizontal, devicePixelRatioF(), stretchCap_);
    } else {
        const QPixmap image = ImageStore::shared().pixmap(name, devicePixelRatioF());
        if (!image.isNull()) {
            const QSizeF size = image.deviceIndependentSize();
            painter.drawPixmap(QPointF((width() - size.width()) / 2.0 + imageOffset_.x(),
                                       (height() - size.height()) / 2.0 + imageOffset_.y()),
                               image);
        }
    }
    if (!text().isEmpty()) {
        const bool on = !isCheckable() || isChecked();
        painter.setPen(on ? titleOn_ : titleOff_);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
    if (hasFocus()) paintFocusRing(painter, rect());
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (isEnabled()) setHovered(true);
}

void ImageButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    setHovered(false);
}

QString ImageButton::cutName(const QString& imageName, const QString& probeSuffix) {
    const qsizetype last = imageName.lastIndexOf(QLatin1Char('_'));
    if (last <= 0) return imageName;
    const QString cut = imageName.left(last);
    return ImageStore::shared().contains(cut + probeSuffix) ? cut : imageName;
}

void ImageButton::takePlace(QAbstractButton* old, QAbstractButton* replacement, bool keepToolTip) {
    QWidget* parent = old->parentWidget();
    replacement->setParent(parent);
    if (parent != nullptr && parent->layout() != nullptr) {
        // The slot in the layout; geometry then follows the layout.
        delete parent->layout()->replaceWidget(old, replacement, Qt::FindChildrenRecursively);
    }
    replacement->setGeometry(old->geometry());
    replacement->setObjectName(old->objectName());
    replacement->setEnabled(old->isEnabled());
    if (keepToolTip) replacement->setToolTip(old->toolTip());
    replacement->setVisible(!old->isHidden());
    QObject::connect(replacement, &QAbstractButton::clicked, old, &QAbstractButton::clicked);
    old->hide();
    old->setParent(replacement);
}

ImageButton* ImageButton::replace(QAbstractButton* old, bool keepToolTip) {
    if (old == nullptr) return nullptr;
    const QString name = old->property(kImageProperty).toString();
    auto* button = new ImageButton(cutName(name));
    takePlace(old, button, keepToolTip);
    return button;
}

ToggleButton::ToggleButton(const QString& base, QWidget* parent) : ImageButton(QString(), parent) {
    base_ = base;
    setCheckable(true);
    setChecked(false);
    if (base.isEmpty()) return;
    selected_ = existing(suffixed(base, images::kSelected));
    setImages(existing(suffixed(base, images::kDeselected)),
              existing(suffixed(base, images::kPressed)), QString(),
              existing(suffixed(base, images::kHover)));
}

ToggleButton* ToggleButton::replace(QAbstractButton* old, bool keepToolTip) {
    if (old == nullptr) return nullptr;
    const QString name = old->property(kImageProperty).toString();
    auto* button = new ToggleButton(cutName(name, imageName(images::kSelected)));
    takePlace(old, button, keepToolTip);
    return button;
}

}  // namespace harbrix::ui
