// The header menu.
#include "shell/Menu.h"

#include <QKeyEvent>

#include "shell/MenuItem.h"
#include "ui_Menu.h"

namespace harbrix {

Menu::Menu(QWidget* parent) : QWidget(parent), form_(std::make_unique<Ui::Menu>()) {
    form_->setupUi(this);
    setFocusPolicy(Qt::StrongFocus);
    form_->body->setColor(QColor(0x26, 0x26, 0x2B, 245));
    form_->body->setCornerRadius(6);
    form_->body->setOutline(QColor(255, 255, 255, 40), 1);
}

Menu::~Menu() = default;

Menu* Menu::menu(QWidget* parent) {
    auto* made = new Menu(parent);
    if (!made->populateSlots()) {
        delete made;
        return nullptr;
    }
    return made;
}

bool Menu::populateSlots() {
    auto about = MenuItem::item();
    auto software = MenuItem::item();
    auto website = MenuItem::item();
    if (!about || !software || !website) return false;
    const std::pair<MenuItem*, QWidget*> placed[] = {{about.get(), form_->slotForAbout},
                                                     {software.get(), form_->slotForSoftware},
                                                     {website.get(), form_->slotForWebsite}};
    about->setTitle(QStringLiteral("About..."));
    software->setTitle(QStringLiteral("Software Update..."));
    website->setTitle(QString::fromLatin1(kWebsiteTitle));
    for (const auto& [item, slot] : placed) {
        item->setDelegate(this);
        item->view()->setParent(slot);
        item->view()->setGeometry(slot->rect());
        item->view()->show();
    }
    about_ = std::move(about);
    software_ = std::move(software);
    website_ = std::move(website);
    return true;
}

QWidget* Menu::registration() const {
    return form_->registration;
}

QWidget* Menu::hamburger() const {
    return form_->hamburger;
}

QWidget* Menu::body() const {
    return form_->body;
}

bool Menu::hitTest(const QPoint& windowPoint) const {
    const QPoint point = mapFrom(window(), windowPoint);
    return form_->hamburger->geometry().contains(point) || form_->body->geometry().contains(point);
}

void Menu::itemEntered(MenuItem* item) {
    for (MenuItem* each : {about_.get(), software_.get(), website_.get()})
        if (each != nullptr) each->setHovered(each == item);
}

void Menu::itemExited(MenuItem*) {
    for (MenuItem* each : {about_.get(), software_.get(), website_.get()})
        if (each != nullptr) each->setHovered(false);
}

void Menu::itemClicked(MenuItem* item) {
    if (item == nullptr) return;
    if (item == about_.get()) emit aboutChosen();
    if (item == software_.get()) emit softwareChosen();
    if (item == website_.get()) emit websiteChosen();
}

void Menu::keyPressEvent(QKeyEvent* event) {
    // Modifier keys alone change nothing; everything else goes on to the window.
    if (event->key() == Qt::Key_Shift || event->key() == Qt::Key_Control ||
        event->key() == Qt::Key_Alt || event->key() == Qt::Key_Meta) {
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace harbrix
