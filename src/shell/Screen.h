// What the application controller asks of the screens that fill its window: the empty
// state, the transfer screen, the editor and the settings screen. A screen makes its view
// when first asked for it and reaches the current pedal through its delegate.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>

#include "link/DeviceDelegate.h"
#include "link/SettingsBlock.h"

namespace harbrix {

// The application controller as the screens see it.
class ScreenDelegate {
  public:
    virtual ~ScreenDelegate() = default;
    virtual DeviceRef currentDevice() = 0;
};

class Screen {
  public:
    // In the order that decides which way screens slide.
    enum class Kind { nothing, transfers, editor, settings };

    virtual ~Screen() { delete view_; }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    virtual Kind kind() const = 0;
    // The screen's class as the window names it ("Transfers", "MIV3Editor", "Nothing").
    virtual QString className() const = 0;
    // The view, made (and set up) on the first call.
    QWidget* view() {
        if (!view_) {
            view_ = loadView();
            viewDidLoad();
        }
        return view_;
    }
    bool isViewLoaded() const { return !view_.isNull(); }
    // The view that takes the keyboard while the screen is shown.
    virtual QWidget* focusView() { return view(); }

    // One preset slot of the current pedal changed.
    virtual void reloadPreset(std::size_t /*index*/) {}
    // The pedal's global settings changed.
    virtual void reloadSettings(const SettingsBlock& /*settings*/) {}
    // Something the screen shows changed elsewhere (a firmware update became available).
    virtual void sync() {}
    // The pedal is back from a restart and takes clicks again; what it holds may have changed.
    virtual void pedalRestarted() { sync(); }
    // Follow the pedal's own selection.
    virtual void selectPreset(std::size_t /*slot*/, bool /*load*/) {}
    // The application's File and Edit commands go to the shown screen: whether it takes the
    // command now (the menu item is enabled), and the command itself.
    enum class Command { save, saveAs, undo, redo };
    virtual bool validateCommand(Command /*command*/) { return false; }
    // The menu item's title for a command ("Undo Move"); empty for its usual title.
    virtual QString commandTitle(Command /*command*/) { return {}; }
    virtual void performCommand(Command /*command*/) {}

    ScreenDelegate* delegate() const { return delegate_; }

  protected:
    explicit Screen(ScreenDelegate* delegate) : delegate_(delegate) {}
    virtual QWidget* loadView() = 0;
    virtual void viewDidLoad() {}

  private:
    ScreenDelegate* delegate_;
    QPointer<QWidget> view_;
};

}  // namespace harbrix
