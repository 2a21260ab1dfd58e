// Header menu items.
#include "shell/MenuItem.h"

#include <QMouseEvent>
#include <QPainter>

#include "shell/Menu.h"
#include "ui_MenuItem.h"

namespace harbrix {

MenuItemView::MenuItemView(MenuItem* controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    setAttribute(Qt::WA_Hover);
}

void MenuItemView::paintEvent(QPaintEvent*) {
    if (controller_ == nullptr || !controller_->hovered()) return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255, qRound(255 * 0.17)));
}

void MenuItemView::enterEvent(QEnterEvent*) {
    if (controller_ != nullptr && controller_->delegate() != nullptr)
        controller_->delegate()->itemEntered(controller_);
}

void MenuItemView::leaveEvent(QEvent*) {
    if (controller_ != nullptr && controller_->delegate() != nullptr)
        controller_->delegate()->itemExited(controller_);
}

void MenuItemView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void MenuItemView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // Only the left button chooses; a right or middle click is no click on an item.
    if (event->button() != Qt::LeftButton) return;
    if (width() == 0 || !rect().contains(event->position().toPoint())) return;
    if (controller_ != nullptr && controller_->delegate() != nullptr)
        controller_->delegate()->itemClicked(controller_);
}

MenuItem::MenuItem() : form_(std::make_unique<Ui::MenuItem>()) {
    view_ = new MenuItemView(this);
    form_->setupUi(view_);
    form_->label->setFontWeight(ui::fonts::Weight::Regular, 14);
    form_->label->setColor(Qt::white);
}

MenuItem::~MenuItem() {
    // The view may outlive the item inside its parent; it must not call back.
    delete view_;
}

std::unique_ptr<MenuItem> MenuItem::item() {
    return std::unique_ptr<MenuItem>(new MenuItem);
}

QString MenuItem::title() const {
    return form_->label->text();
}

void MenuItem::setTitle(const QString& title) {
    form_->label->setText(title.isNull() ? QString("") : title);
    const QSize fit = form_->label->sizeHint();
    form_->label->resize(fit.width(), form_->label->height());
}

void MenuItem::setHovered(bool hovered) {
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    if (view_) view_->update();
}

}  // namespace harbrix
