#include "Sheet.h"

#include <QPainter>

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix::gallery {

using ui::Label;
using ui::fonts::Weight;

Sheet::Sheet(const QString& name) : rows_(new QVBoxLayout(this)) {
    setObjectName(name);
    rows_->setContentsMargins(24, 20, 24, 24);
    rows_->setSpacing(6);
    rows_->setSizeConstraint(QLayout::SetFixedSize);
}

void Sheet::row(const QString& heading) {
    if (current_ != nullptr) rows_->addSpacing(10);
    rows_->addWidget(new Label(heading, Weight::Medium, 13, QColor(0xFD, 0xEE, 0x1B)));
    current_ = new QHBoxLayout;
    current_->setSpacing(18);
    current_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    rows_->addLayout(current_);
}

void Sheet::cell(QWidget* widget, const QString& caption) {
    if (current_ == nullptr) row(QString());
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(widget, 0, Qt::AlignHCenter | Qt::AlignBottom);
    auto* label = new Label(caption, Weight::Regular, 11, QColor(255, 255, 255, 150));
    column->addWidget(label, 0, Qt::AlignHCenter);
    current_->addLayout(column);
}

void Sheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QString background = ui::imageName(ui::images::kWindowBackground);
    painter.drawPixmap(rect(),
                       ui::ImageStore::shared().pixmap(background, size(), devicePixelRatioF()));
}

}  // namespace harbrix::gallery
