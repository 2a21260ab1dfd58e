// The application controller: it builds the window and its header, is the device layer's
// delegate, decides which pedal is current and which screen shows, switches screens with a
// slide or a fade, answers the header's menu and device chooser and, in debug mode, the
// maintenance menu. Everything here runs on the main thread except currentDevice(), which
// the update checkers also ask from their own threads.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "link/DeviceDelegate.h"
#include "shell/Application.h"
#include "shell/Menu.h"
#include "shell/Nothing.h"
#include "shell/QuitGuard.h"
#include "shell/Screen.h"
#include "shell/Selector.h"
#include "shell/Shield.h"

namespace harbrix {

class History;
class MenuCloser;
class Stinger;
class StingerDelegate;
class UpdatePresenter;
class Window;

namespace ui {
class ImageButton;
class ImageView;
class ToggleButton;
}  // namespace ui

class AppDelegate : public QObject,
                    public DeviceDelegate,
                    public ScreenDelegate,
                    public SelectorDelegate,
                    public MenuHost {
    Q_OBJECT
  public:
    // What launch starts; tests replace the device layer and the driver check.
    struct Options {
        // Starts discovery with the controller as delegate; false when it could not.
        std::function<bool(DeviceDelegate*)> startDevices;
        Nothing::Driver driver;
    };

    explicit AppDelegate(Options options = {});
    ~AppDelegate() override;

    // The controller of this process while it lives (main thread only).
    static AppDelegate* shared();
    // Tells the controller of firmware updates found on the checkers' threads.
    static std::shared_ptr<StingerDelegate> stingerDelegate();

    // ---- Lifecycle
    void applicationDidFinishLaunching();
    // Starts the relaunch script when a relaunch was asked for.
    void applicationWillTerminate();
    // Relaunch: remember it and quit (through the window's close, so a running firmware
    // flash is asked about first).
    void bounce();
    bool bounceRequested() const { return bounce_; }
    // Once per process: the screens' refresh hooks.
    void refresh();
    void refreshTransfers() {}
    void refreshEditor() {}
    void refreshSettings() {}

    // ---- Device delegate
    void deviceIsConnected(const DeviceRef& device) override;
    void deviceHasBeenDisconnected(const DeviceRef& device) override;
    void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) override;
    void deviceInternalStateChanged(const DeviceRef& device, const std::string& state) override;
    void deviceHasUpdatedSettings(const DeviceRef& device, const SettingsBlock& settings) override;
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef& device) override;
    void deviceEndedFullRefresh(const DeviceRef& device,
                                const std::shared_ptr<void>& shield) override;
    // Any thread.
    DeviceRef currentDevice() override;
    void devicesFailedToOpen(const std::vector<OpenFailure>& failures) override;
    // AppDelegateRestart.cpp: the header says so while a pedal restarts, and its screens are
    // made anew once it is back.
    void deviceIsRestarting(const DeviceRef& device) override;
    void deviceHasRestarted(const DeviceRef& device, bool back) override;

    // ---- Screens
    void switchToNothing();
    void switchToTransfers();
    void switchToEditor();
    void switchToSettings();
    void slideToController(const std::shared_ptr<Screen>& target);
    void fadeInController();
    std::shared_ptr<Screen> transfersFor(const DeviceRef& device);
    std::shared_ptr<Screen> editorFor(const DeviceRef& device);
    std::shared_ptr<Screen> settingsFor(const DeviceRef& device);
    QString pedalboardFor(const DeviceRef& device) const;

    // ---- Device chooser
    void deviceSelected(const QString& serial) override;
    void openSelector();
    void closeSelector() override;
    bool pointInSelectorBounds(const QPoint& windowPoint) const;

    // ---- Header menu
    void openMenu();
    void closeMenu() override;
    bool menuOpen() const override;
    void menuUp() override;
    void menuDown() override;
    void menuGo() override;
    bool pointInMenuBounds(const QPoint& windowPoint) const override;
    QWidget* mainWindow() const override;
    void logoButtonClicked();
    void menuButtonClicked();

    // ---- File and Edit commands: the shown screen takes them, when it will.
    bool validateCommand(Screen::Command command);
    void performCommand(Screen::Command command);

    // ---- Menu commands
    void openAbout();
    void checkForSoftwareUpdates();
    void goToWebsite();
    // The firmware install is started from the settings screen; these only close the menu.
    void openFirmwareUpdater();
    void installFirmware();

    // ---- Updates
    void stingerHasAvailableUpdate(Stinger& stinger);

    // ---- Maintenance (debug mode)
    void openIOHistory();
    void MIDIJam();
    void reboot();
    void suspend();
    void recover(QAction* sender);
    void suspendAndRecover(QAction* sender);
    void refreshPresets();
    void selectPresetClicked();
    void selectedPresetTest();
    void flashFirmwareFromDisk();
    // The file panel's end: 1 (OK) or -1002 (continue) with a chosen file flashes it.
    void firmwarePanelEnded(int response, const QString& path);

    // ---- State, for the views and for tests
    Window* window() const { return window_.get(); }
    const std::vector<DeviceRef>& connected() const { return connected_; }
    const std::shared_ptr<Screen>& currentController() const { return currentController_; }
    const std::shared_ptr<Screen>& nothing() const { return nothing_; }
    const std::shared_ptr<Screen>& transfers() const { return transfers_; }
    const std::shared_ptr<Screen>& editor() const { return editor_; }
    const std::shared_ptr<Screen>& settings() const { return settings_; }
    ui::ToggleButton* transfersTabButton() const { return transfersTab_; }
    ui::ToggleButton* editorTabButton() const { return editorTab_; }
    ui::ToggleButton* settingsTabButton() const { return settingsTab_; }
    ui::ImageButton* logoButton() const { return logoButton_; }
    ui::ImageButton* menuButton() const { return menuButton_; }
    ui::ImageButton* selectorButton() const { return selectorButton_; }
    ui::ImageView* pedalboard() const { return pedalboard_; }
    ui::ImageView* emptyPedalboard() const { return emptyPedalboard_; }
    Menu* menu() const { return menu_; }
    Selector* selector() const { return selector_; }
    bool selectorOpen() const { return selectorOpen_; }
    QAction* recoverButton() const { return recoverButton_; }
    QMenu* debugMenuItem() const { return debugMenuItem_; }
    History* history() const { return history_.get(); }
    QuitGuard* quitGuard() const { return quitGuard_; }
    // Closes the window as its close box does.
    QAction* quitAction() const { return quitAction_; }
    // Whether the current pedal's editor has followed the pedal's own selection.
    bool initialized() const;
    // Whether the pedal has answered which slot it has selected.
    bool knowsSelection(const DeviceRef& device) const {
        return selections_.count(device.get()) != 0;
    }
    // Whether launch went past loading the header menu.
    bool launched() const { return launched_; }

  private:
    void replaceHeaderButtons();
    void connectCommands();
    void loadMenu();
    void buildDebugMenu();
    // Artwork, fades and new screens for the device that just became current.
    void setUpCurrentDevice(const DeviceRef& device);
    void showEmptyPedalboard();
    void setCurrentDevice(const DeviceRef& device);
    void refreshSelector();
    // With a current pedal that edits presets; one that cannot is shown its settings instead.
    bool presetScreensAllowed();
    void setTabs(const ui::ToggleButton* on);
    void focusContent();
    void addScreenView(QWidget* view);
    // Puts the menu (and an open chooser) back on top of the screens.
    void raiseOverlays();
    // Hides every screen view but the current one once a change has ended.
    void settleScreens();
    // The window's menu bar shows the current screen's Edit menu, and no other.
    // Keeps a replaced screen until its view has left, then lets it go.
    void retire(const std::shared_ptr<Screen>& screen);
    void screenChangeEnded();
    // The pedal's own selected slot, asked for each new editor; the editor follows it once
    // that slot has been read.
    void askSelection(const DeviceRef& device);
    void selectionRead(const DeviceRef& device, std::size_t slot, bool loaded);
    void followSelection(const DeviceRef& device, std::size_t index);
    // The header's line for a pedal that restarts.
    void buildRestartNotice();
    void showRestartNotice();
    // Reads every slot again behind what waits on the pedal's queue; its screens hold back
    // the slot changes meanwhile.
    void refreshPresetsOf(const DeviceRef& device);
    // Runs a device operation on the current device's queue; nothing without one.
    bool onCurrentDevice(const std::function<void(const DeviceRef&)>& work);

    Options options_;
    std::unique_ptr<Window> window_;
    std::vector<DeviceRef> connected_;
    mutable std::mutex deviceMutex_;
    DeviceRef device_;
    std::shared_ptr<Screen> nothing_;
    std::shared_ptr<Screen> transfers_;
    std::shared_ptr<Screen> editor_;
    std::shared_ptr<Screen> settings_;
    std::shared_ptr<Screen> currentController_;
    // Screens replaced while their views are still sliding or fading out.
    std::vector<std::shared_ptr<Screen>> retired_;
    std::vector<QPointer<QWidget>> screenViews_;

    ui::ToggleButton* transfersTab_ = nullptr;
    ui::ToggleButton* editorTab_ = nullptr;
    ui::ToggleButton* settingsTab_ = nullptr;
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

    QPointer<QuitGuard> quitGuard_;
    QPointer<QAction> quitAction_;
    QPointer<QAction> recoverButton_;
    QPointer<QMenu> debugMenuItem_;
    std::unique_ptr<History> history_;
    std::shared_ptr<UpdatePresenter> updatePresenter_;

    struct Selection {
        std::size_t slot = 0;
        bool loaded = false;
        // The pedal's editor has followed it.
        bool followed = false;
    };
    // By connected pedal.
    std::map<const QORUARTDevice*, Selection> selections_;
    // The connected pedals that are restarting now.
    std::set<const QORUARTDevice*> restarting_;
    QPointer<QLabel> restartNotice_;
    bool bounce_ = false;
    bool launched_ = false;
};

}  // namespace harbrix
