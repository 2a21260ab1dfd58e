// Updates of the application and of the pedals' firmware as the window sees them: the
// windows that offer them, a firmware check for each pedal that comes or comes back, the
// settings screen told of a new firmware, and the relaunch after a software update.
#pragma once

#include <QObject>

#include <memory>

#include "link/DeviceDelegate.h"

namespace harbrix {

class ScreenSwitcher;
class Stinger;
class UpdatePresenter;
class Window;

class AppUpdates : public QObject {
    Q_OBJECT
  public:
    AppUpdates(Window& window, ScreenSwitcher& screens);
    ~AppUpdates() override;

    // Shows the update windows over this window from now on; a software update relaunches.
    void start();
    // Checks for firmware for the pedal's model.
    static void checkFirmware(const DeviceRef& device);
    void stingerHasAvailableUpdate(Stinger& stinger);

    // Relaunch: remember it and quit (through the window's close, so a running firmware
    // flash is asked about first).
    void bounce();
    bool bounceRequested() const { return bounce_; }
    // Starts the relaunch script when a relaunch was asked for.
    void applicationWillTerminate();

  private:
    Window& window_;
    ScreenSwitcher& screens_;
    std::shared_ptr<UpdatePresenter> presenter_;
    bool bounce_ = false;
};

}  // namespace harbrix
