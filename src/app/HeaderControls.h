// The window's header and menus: the logo, the pull-down menu and its commands, the pedal
// chooser, the current pedal's artwork, the line shown while that pedal restarts, and the
// File and Edit commands, which go to the shown screen.
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "link/DeviceDelegate.h"
#include "shell/Application.h"
#include "shell/Menu.h"
#include "shell/Screen.h"
#include "shell/Selector.h"
#include "shell/Shield.h"

namespace harbrix {

class MenuCloser;
class PedalList;
class ScreenSwitcher;
class Window;

namespace ui {
class ImageButton;
class ImageView;
}  // namespace ui

class HeaderControls : public QObject, public MenuHost, public SelectorDelegate {
    Q_OBJECT
  public:
    // `chosen` is told of the pedal chosen in the chooser.
    HeaderControls(Window& window, const PedalList& pedals, ScreenSwitcher& screens,
                   std::function<void(const DeviceRef&)> chosen);
    ~HeaderControls() override;

    // The header's image buttons, the restart line and the File and Edit commands.
    void build();
    // The pull-down menu and the chooser; false when the menu could not be loaded.
    bool loadMenu();

    // The header artwork of the pedal that just became current, or the empty one.
    void showPedalboard(const DeviceRef& device);
    void showEmptyPedalboard();
    // Says whether the current pedal restarts; its screens take no clicks meanwhile.
    void showRestartNotice();
    // The chooser's list, after a pedal came, went or was chosen.
    void refreshSelector();
    // Puts the menu (and an open chooser) back on top of the screens.
    void raiseOverlays();

    // ---- Header menu
    void openMenu();
    void closeMenu() override;
    bool menuOpen() const override;
    void menuUp() override;
    void menuDown() override;
    void menuGo() override;
    bool pointInMenuBounds(const QPoint& windowPoint) const override;
    QWidget* mainWindow() const override;
    void openAbout();
    void checkForSoftwareUpdates();
    void goToWebsite();

    // ---- Pedal chooser
    void deviceSelected(const QString& serial) override;
    void openSelector();
    void closeSelector() override;

    // ---- File and Edit commands: the shown screen takes them, when it will.
    bool validateCommand(Screen::Command command);
    void performCommand(Screen::Command command);

    ui::ImageButton* logoButton() const { return logoButton_; }
    ui::ImageButton* menuButton() const { return menuButton_; }
    ui::ImageButton* selectorButton() const { return selectorButton_; }
    ui::ImageView* pedalboard() const { return pedalboard_; }
    ui::ImageView* emptyPedalboard() const { return emptyPedalboard_; }
    Menu* menu() const { return menu_; }
    Selector* selector() const { return selector_; }
    bool selectorOpen() const { return selectorOpen_; }

  private:
    void buildRestartNotice();
    void connectCommands();

    Window& window_;
    const PedalList& pedals_;
    ScreenSwitcher& screens_;
    std::function<void(const DeviceRef&)> chosen_;

    ui::ImageButton* logoButton_ = nullptr;
    ui::ImageButton* menuButton_ = nullptr;
    ui::ImageButton* selectorButton_ = nullptr;
    ui::ImageView* pedalboard_ = nullptr;
    ui::ImageView* emptyPedalboard_ = nullptr;
    QPointer<Menu> menu_;
    QPointer<Selector> selector_;
    bool selectorOpen_ = false;
    // The shields under the open menu and the open chooser.
    QPointer<Shield> menuShield_;
    QPointer<Shield> selectorShield_;
    MenuCloser* menuCloser_ = nullptr;
    QPointer<QLabel> restartNotice_;
};

}  // namespace harbrix
