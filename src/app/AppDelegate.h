// The application controller: it builds the window, is the device layer's delegate and
// hands each of its calls on to the classes it owns, each with one concern: the pedal list,
// the screens, the header and its menus, maintenance and updates. Everything here runs on
// the main thread except currentDevice(), which the update checkers also ask from their own
// threads.
#pragma once

#include <QAction>
#include <QObject>
#include <QPointer>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/AppLibrary.h"
#include "app/AppUpdates.h"
#include "app/HeaderControls.h"
#include "app/Maintenance.h"
#include "app/PedalList.h"
#include "app/ScreenSwitcher.h"
#include "link/DeviceDelegate.h"
#include "shell/Nothing.h"
#include "shell/QuitGuard.h"

namespace harbrix {

class Stinger;
class StingerDelegate;
class Window;

class AppDelegate : public QObject, public DeviceDelegate {
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

    void applicationDidFinishLaunching();

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
    // The header says so while a pedal restarts, and its screens are given back once it is.
    void deviceIsRestarting(const DeviceRef& device) override;
    void deviceHasRestarted(const DeviceRef& device, bool back) override;

    // ---- Updates, on the main thread
    void stingerHasAvailableUpdate(Stinger& stinger);

    // ---- The parts, for the views and for tests
    Window* window() const { return window_.get(); }
    PedalList& pedals() const { return *pedals_; }
    ScreenSwitcher& screens() const { return *screens_; }
    HeaderControls& header() const { return *header_; }
    Maintenance& maintenance() const { return *maintenance_; }
    AppUpdates& updates() const { return *updates_; }
    AppLibrary& library() const { return *library_; }
    QuitGuard* quitGuard() const { return quitGuard_; }
    // Closes the window as its close box does.
    QAction* quitAction() const { return quitAction_; }
    // Whether launch went past loading the header menu.
    bool launched() const { return launched_; }

  private:
    // Makes the pedal current: its artwork, its screens, and its selection asked for.
    void setUpCurrentDevice(const DeviceRef& device);
    // The pedal chosen in the header's chooser.
    void choosePedal(const DeviceRef& device);

    Options options_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<PedalList> pedals_;
    std::unique_ptr<ScreenSwitcher> screens_;
    std::unique_ptr<HeaderControls> header_;
    std::unique_ptr<Maintenance> maintenance_;
    std::unique_ptr<AppUpdates> updates_;
    std::unique_ptr<AppLibrary> library_;
    QPointer<QuitGuard> quitGuard_;
    QPointer<QAction> quitAction_;
    bool launched_ = false;
};

}  // namespace harbrix
