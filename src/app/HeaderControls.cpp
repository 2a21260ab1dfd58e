// The header: its image buttons, the pull-down menu with its keyboard mark, the device
// chooser, and the menu's commands.
#include "app/HeaderControls.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "app/PedalList.h"
#include "app/ScreenCatalog.h"
#include "app/ScreenSwitcher.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"
#include "shell/Background.h"
#include "shell/MenuClosingEvents.h"
#include "shell/MenuItem.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
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

// Beside the pedal chooser's button, in the header.
const QRect kNoticeFrame(432, 30, 176, 20);

}  // namespace

HeaderControls::HeaderControls(Window& window, const PedalList& pedals, ScreenSwitcher& screens,
                               std::function<void(const DeviceRef&)> chosen)
    : window_(window), pedals_(pedals), screens_(screens), chosen_(std::move(chosen)) {
    if (Application* application = Application::instance()) application->setMenuHost(this);
}

HeaderControls::~HeaderControls() {
    // Nothing the window does while it goes may call back in here.
    delete menuCloser_;
    if (Application* application = Application::instance();
        application != nullptr && application->menuHost() == this)
        application->setMenuHost(nullptr);
}

void HeaderControls::build() {
    Ui::Header& header = window_.headerForm();
    logoButton_ = fixedImageButton(header.logoButton, ui::images::kLogo);
    menuButton_ = fixedImageButton(header.menuButton, ui::images::kMenuButton);
    selectorButton_ = fixedImageButton(header.selectorButton, ui::images::kDeviceDrop);
    connect(logoButton_, &QAbstractButton::clicked, this, &HeaderControls::goToWebsite);
    connect(menuButton_, &QAbstractButton::clicked, this, &HeaderControls::openMenu);
    connect(selectorButton_, &QAbstractButton::clicked, this, &HeaderControls::openSelector);
    pedalboard_ = header.pedalboard;
    emptyPedalboard_ = header.emptyPedalboard;
    buildRestartNotice();
    connectCommands();
    menuCloser_ = new MenuCloser(&window_, [this] { closeMenu(); });
}

bool HeaderControls::loadMenu() {
    menu_ = Menu::menu(window_.contentView());
    if (!menu_) return false;
    menu_->hide();
    // Hung from the menu button's far corner by the registration mark.
    const QRect button = menuButton_->geometry().translated(
        menuButton_->parentWidget()->mapTo(window_.contentView(), QPoint(0, 0)));
    const QSize mark = menu_->registration()->size();
    menu_->move(button.right() + 1 - menu_->width() + mark.width(), button.top() - mark.height());
    connect(menu_, &Menu::aboutChosen, this, &HeaderControls::openAbout);
    connect(menu_, &Menu::softwareChosen, this, &HeaderControls::checkForSoftwareUpdates);
    connect(menu_, &Menu::websiteChosen, this, &HeaderControls::goToWebsite);

    selector_ = new Selector(window_.contentView());
    selector_->setDelegate(this);
    return true;
}

void HeaderControls::showPedalboard(const DeviceRef& device) {
    pedalboard_->setImageName(ScreenCatalog::pedalboard(device));
    ui::animation::fade(pedalboard_, true, ui::animation::kScreenFadeMs);
    ui::animation::fade(emptyPedalboard_, false, ui::animation::kScreenFadeMs);
}

void HeaderControls::showEmptyPedalboard() {
    ui::animation::fade(emptyPedalboard_, true, ui::animation::kScreenFadeMs);
    ui::animation::fade(pedalboard_, false, ui::animation::kScreenFadeMs);
}

void HeaderControls::raiseOverlays() {
    for (QWidget* overlay : std::initializer_list<QWidget*>{
             menuShield_.data(), selectorShield_.data(), menu_.data(), selector_.data()})
        if (overlay != nullptr && overlay->isVisible()) overlay->raise();
    if (menu_) menu_->raise();
}

void HeaderControls::buildRestartNotice() {
    auto* notice =
        new ui::Label(QString(), ui::fonts::Weight::Medium, 12, Qt::white, window_.header());
    notice->setObjectName(QStringLiteral("pedalRestarting"));
    notice->setGeometry(kNoticeFrame);
    notice->hide();
    restartNotice_ = notice;
}

void HeaderControls::showRestartNotice() {
    if (!restartNotice_) return;
    const DeviceRef device = pedals_.current();
    const bool restarting = pedals_.isRestarting(device);
    const QString text =
        restarting ? QStringLiteral("%1 is restarting\u2026").arg(Selector::caption(device->name()))
                   : QString();
    restartNotice_->setText(text);
    restartNotice_->setAccessibleName(text);
    restartNotice_->setVisible(restarting);
    // Nothing the user does can reach the pedal meanwhile, on whichever of its screens.
    for (const auto& screen : screens_.pedalScreens())
        if (screen->isViewLoaded()) screen->view()->setEnabled(!restarting);
}

// ---- Header menu

void HeaderControls::openMenu() {
    if (!menu_ || menuOpen()) return;
    QPointer<HeaderControls> self = this;
    menuShield_ = Shield::beginShieldedModalForWindow(&window_, [self] {
        if (self) self->closeMenu();
    });
    for (MenuItem* item : {menu_->about(), menu_->software(), menu_->website()})
        item->setHovered(false);
    menuButton_->hide();
    menu_->show();
    menu_->raise();
    menu_->setFocus(Qt::PopupFocusReason);
}

void HeaderControls::closeMenu() {
    if (menu_) menu_->hide();
    if (menuButton_ != nullptr) menuButton_->show();
    if (menuShield_) menuShield_->end();
    menuShield_.clear();
}

bool HeaderControls::menuOpen() const {
    return menu_ && menu_->isVisible();
}

void HeaderControls::menuUp() {
    if (!menu_) return;
    MenuItem* marked = markedItem(*menu_);
    menu_->itemEntered(marked == nullptr            ? menu_->website()
                       : marked == menu_->website() ? menu_->software()
                                                    : menu_->about());
}

void HeaderControls::menuDown() {
    if (!menu_) return;
    MenuItem* marked = markedItem(*menu_);
    menu_->itemEntered(marked == nullptr          ? menu_->about()
                       : marked == menu_->about() ? menu_->software()
                                                  : menu_->website());
}

void HeaderControls::menuGo() {
    if (!menu_) return;
    if (menu_->about()->hovered())
        openAbout();
    else if (menu_->software()->hovered())
        checkForSoftwareUpdates();
    else if (menu_->website()->hovered())
        goToWebsite();
}

bool HeaderControls::pointInMenuBounds(const QPoint& windowPoint) const {
    return menu_ && menu_->hitTest(windowPoint);
}

QWidget* HeaderControls::mainWindow() const {
    return &window_;
}

// ---- Menu commands

void HeaderControls::openAbout() {
    closeMenu();
    const QString name = QString::fromStdString(ApplicationInfo::name().value_or("Harbrix"));
    auto* about = new QMessageBox(&window_);
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

void HeaderControls::checkForSoftwareUpdates() {
    closeMenu();
    // Asked before the start-up task made the checker: it is made now, and starts checking.
    if (const auto stinger = UpdateStartup::softwareStinger())
        stinger->showWindowIfUpdateAvailable();
    else
        logLine("the software update checker could not be made");
}

void HeaderControls::goToWebsite() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(Menu::kWebsiteURL)));
}

// ---- Device chooser

void HeaderControls::openSelector() {
    if (!selector_ || selectorOpen_) return;
    QPointer<HeaderControls> self = this;
    selectorShield_ = Shield::beginShieldedModalForWindow(&window_, [self] {
        if (self) self->closeSelector();
    });
    selectorOpen_ = true;
    selectorButton_->setEnabled(false);
    // The chooser's pointer at the middle of the drop-down button, just below it.
    const QRect button = selectorButton_->geometry().translated(
        selectorButton_->parentWidget()->mapTo(window_.contentView(), QPoint(0, 0)));
    selector_->move(button.center().x() - Selector::kPointerInset, button.bottom() + 3);
    selector_->raise();
    ui::animation::fade(selectorButton_, false, ui::animation::kChooserFadeMs);
    selector_->open();
}

void HeaderControls::closeSelector() {
    if (selector_) selector_->close();
    ui::animation::fade(selectorButton_, true, ui::animation::kChooserFadeMs);
    selectorButton_->setEnabled(true);
    selectorOpen_ = false;
    if (selectorShield_) selectorShield_->end();
    selectorShield_.clear();
    screens_.focusShown();
}

void HeaderControls::refreshSelector() {
    if (selector_) selector_->refresh(pedals_.connected(), pedals_.currentIndex());
}

void HeaderControls::deviceSelected(const QString& serial) {
    closeSelector();
    if (serial.isEmpty()) return;
    if (const DeviceRef device = pedals_.find(serial)) chosen_(device);
}

}  // namespace harbrix
