// The kit's widgets as layout files make them: constructed from the parent alone, with the
// rest set through properties afterwards.
#pragma once

#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {

class FormImageView : public ui::ImageView {
    Q_OBJECT
  public:
    explicit FormImageView(QWidget* parent = nullptr) : ui::ImageView(QString(), parent) {}
};

class FormColorView : public ui::ColorView {
    Q_OBJECT
  public:
    explicit FormColorView(QWidget* parent = nullptr) : ui::ColorView(Qt::transparent, parent) {}
};

class FormLabel : public ui::Label {
    Q_OBJECT
  public:
    explicit FormLabel(QWidget* parent = nullptr)
        : ui::Label(QString(), ui::fonts::Weight::Regular, 13, Qt::white, parent) {}
};

}  // namespace harbrix
