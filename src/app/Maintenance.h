// The maintenance menu of debug mode: reboot, suspend and recover the current pedal, play
// the MIDI test payload, refresh and test presets, show the transaction history, flash a
// firmware file from disk, and show how each pedal's replies are framed.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "link/DeviceDelegate.h"

namespace harbrix {

class History;
class PedalList;
class Window;

class Maintenance : public QObject {
    Q_OBJECT
  public:
    // `closeMenu` closes the header's menu before a file panel opens.
    Maintenance(Window& window, const PedalList& pedals, std::function<void()> closeMenu);
    ~Maintenance() override;

    // The history window and the menu, in debug mode only.
    void build();

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
    // Lists the reply framing each connected pedal reads in now.
    void showFraming();
    // The file panel's end: 1 (OK) or -1002 (continue) with a chosen file flashes it.
    void firmwarePanelEnded(int response, const QString& path);

    QAction* recoverButton() const { return recoverButton_; }
    QMenu* debugMenuItem() const { return debugMenuItem_; }
    QMenu* framingMenu() const { return framingMenu_; }
    History* history() const { return history_.get(); }

  private:
    // Runs a device operation on the current device's queue; nothing without one.
    bool onCurrentDevice(const std::function<void(const DeviceRef&)>& work);

    Window& window_;
    const PedalList& pedals_;
    std::function<void()> closeMenu_;
    QPointer<QAction> recoverButton_;
    QPointer<QMenu> debugMenuItem_;
    QPointer<QMenu> framingMenu_;
    std::unique_ptr<History> history_;
};

}  // namespace harbrix
