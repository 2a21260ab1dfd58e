// The header: its image buttons, the pull-down menu with its keyboard mark, the device
// chooser, and the menu's commands.
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "platform/Log.h"
#include "shell/AppDelegate.h"
#include "shell/Background.h"
#include "shell/Menu.h"
#include "shell/MenuItem.h"
#include "shell/Shield.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"
#include "ui_Header.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"
#include "updates/UpdateStartup.h"

namespace harbrix {
namespace {

// A push button in place of the layout's, with fixed images: NAME, NAME_pressed, NAME_hover.
ui::ImageButton* fixedImageButton(QAbstractButton* old, std::string_view name) {
    const QString base = ui::imageName(name);
    auto* button = new ui::ImageButton(base);
    button->setImages(base, base + ui::imageName(ui::images::kPressed), QString(),
                      base + ui::imageName(ui::images::kHover));
    ui::ImageButton::takePlace(old, button, true);
    return button;
}

// The item with the keyboard mark, if any.
MenuItem* markedItem(const Menu& menu) {
    for (MenuItem* item : {menu.about(), menu.software(), menu.website()})
        if (item->hovered()) return item;
    return nullptr;
}

}  // namespace

void AppDelegate::replaceHeaderButtons() {
    Ui::Header& header = window_->headerForm();
    transfersTab_ = ui::ToggleButton::replace(header.transfersTabButton);
    editorTab_ = ui::ToggleButton::replace(header.editorTabButton);
    settingsTab_ = ui::ToggleButton::replace(header.settingsTabButton);
    // The tabs follow the shown screen, not the clicks: a click asks for the switch.
    const std::pair<ui::ToggleButton*, void (AppDelegate::*)()> tabs[] = {
        {transfersTab_, &AppDelegate::switchToTransfers},
        {editorTab_, &AppDelegate::switchToEditor},
        {settingsTab_, &AppDelegate::switchToSettings}};
    for (const auto& [tab, action] : tabs) {
        tab->setChecked(false);
        connect(tab, &QAbstractButton::clicked, this, [this, tab = tab, action = action] {
            tab->setChecked(!tab->isChecked());
            (this->*action)();
        });
    }
    logoButton_ = fixedImageButton(header.logoButton, ui::images::kLogo);
    menuButton_ = fixedImageButton(header.menuButton, ui::images::kMenuButton);
    selectorButton_ = fixedImageButton(header.selectorButton, ui::images::kDeviceDrop);
    connect(logoButton_, &QAbstractButton::clicked, this, &AppDelegate::logoButtonClicked);
    connect(menuButton_, &QAbstractButton::clicked, this, &AppDelegate::openMenu);
    connect(selectorButton_, &QAbstractButton::clicked, this, &AppDelegate::openSelector);
    pedalboard_ = header.pedalboard;
    emptyPedalboard_ = header.emptyPedalboard;
}

// ---- Header menu

void AppDelegate::openMenu() {
    if (!menu_ || menuOpen()) return;
    QPointer<AppDelegate> self = this;
    menuShield_ = Shield::beginShieldedModalForWindow(window_.get(), [self] {
        if (self) self->closeMenu();
    });
    for (MenuItem* item : {menu_->about(), menu_->software(), menu_->website()})
        item->setHovered(false);
    menuButton_->hide();
    menu_->show();
    menu_->raise();
    menu_->setFocus(Qt::PopupFocusReason);
}

void AppDelegate::closeMenu() {
    if (menu_) menu_->hide();
    if (menuButton_ != nullptr) menuButton_->show();
    if (menuShield_) menuShield_->end();
    menuShield_.clear();
}

bool AppDelegate::menuOpen() const {
    return menu_ && menu_->isVisible();
}

void AppDelegate::menuUp() {
    if (!menu_) return;
    MenuItem* marked = markedItem(*menu_);
    menu_->itemEntered(marked == nullptr            ? menu_->website()
                       : marked == menu_->website() ? menu_->software()
                                                    : menu_->about());
}

void AppDelegate::menuDown() {
    if (!menu_) return;
    MenuItem* marked = markedItem(*menu_);
    menu_->itemEntered(marked == nullptr          ? menu_->about()
                       : marked == menu_->about() ? menu_->software()
                                                  : menu_->website());
}

void AppDelegate::menuGo() {
    if (!menu_) return;
    if (menu_->about()->hovered())
        openAbout();
    else if (menu_->software()->hovered())
        checkForSoftwareUpdates();
    else if (menu_->website()->hovered())
        goToWebsite();
}

bool AppDelegate::pointInMenuBounds(const QPoint& windowPoint) const {
    return menu_ && menu_->hitTest(windowPoint);
}

QWidget* AppDelegate::mainWindow() const {
    return window_.get();
}

void AppDelegate::logoButtonClicked() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(Menu::kWebsiteURL)));
}

void AppDelegate::menuButtonClicked() {
    logLine("menu button clicked");
}

// ---- Menu commands

void AppDelegate::openAbout() {
    closeMenu();
    const QString name = QString::fromStdString(ApplicationInfo::name().value_or("Harbrix"));
    auto* about = new QMessageBox(window_.get());
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setObjectName(QStringLiteral("about"));
    about->setWindowTitle(QStringLiteral("About %1").arg(name));
    about->setIconPixmap(ui::ImageStore::shared().pixmap(ui::imageName(ui::images::kAppIcon),
                                                         about->devicePixelRatioF()));
    about->setText(QStringLiteral("<b>%1</b>").arg(name));
    about->setInformativeText(
        QStringLiteral("Version %1\nThe companion for the MIV III and NAX III pedals.")
            .arg(QString::fromStdString(ApplicationInfo::versionText().value_or("?"))));
    about->setStandardButtons(QMessageBox::Ok);
    about->open();
}

void AppDelegate::checkForSoftwareUpdates() {
    closeMenu();
    // Asked before the start-up task made the checker: it is made now, and starts checking.
    if (const auto stinger = UpdateStartup::softwareStinger())
        stinger->showWindowIfUpdateAvailable();
    else
        logLine("the software update checker could not be made");
}

void AppDelegate::goToWebsite() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(Menu::kWebsiteURL)));
}

void AppDelegate::openFirmwareUpdater() {
    closeMenu();
}

void AppDelegate::installFirmware() {
    closeMenu();
}

// ---- Device chooser

void AppDelegate::openSelector() {
    if (!selector_ || selectorOpen_) return;
    QPointer<AppDelegate> self = this;
    selectorShield_ = Shield::beginShieldedModalForWindow(window_.get(), [self] {
        if (self) self->closeSelector();
    });
    selectorOpen_ = true;
    selectorButton_->setEnabled(false);
    // The chooser's pointer at the middle of the drop-down button, just below it.
    const QRect button = selectorButton_->geometry().translated(
        selectorButton_->parentWidget()->mapTo(window_->contentView(), QPoint(0, 0)));
    selector_->move(button.center().x() - Selector::kPointerInset, button.bottom() + 3);
    selector_->raise();
    ui::animation::fade(selectorButton_, false, ui::animation::kChooserFadeMs);
    selector_->open();
}

void AppDelegate::closeSelector() {
    if (selector_) selector_->close();
    ui::animation::fade(selectorButton_, true, ui::animation::kChooserFadeMs);
    selectorButton_->setEnabled(true);
    selectorOpen_ = false;
    if (selectorShield_) selectorShield_->end();
    selectorShield_.clear();
    if (currentController_ && (currentController_->kind() == Screen::Kind::transfers ||
                               currentController_->kind() == Screen::Kind::editor))
        currentController_->focusView()->setFocus(Qt::OtherFocusReason);
    else
        focusContent();
}

bool AppDelegate::pointInSelectorBounds(const QPoint& windowPoint) const {
    if (!selector_ || !selector_->isVisible()) return false;
    QWidget* hit = window_->childAt(windowPoint);
    return hit != nullptr && (hit == selector_ || selector_->isAncestorOf(hit));
}

}  // namespace harbrix
