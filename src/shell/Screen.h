// What the application controller asks of the screens that fill its window: the empty
// state, the transfer screen, the editor and the settings screen. A screen makes its view
// when first asked for it and holds the pedal it was made for weakly.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "devices/SlotNames.h"
#include "link/DeviceDelegate.h"
#include "link/SettingsBlock.h"
#include "ui/Alert.h"

namespace harbrix {

// A preset slot as questions and notices name it: "Preset 07".
inline QString presetLabel(std::size_t slot) {
    return QStringLiteral("Preset %1").arg(slot + 1, 2, 10, QLatin1Char('0'));
}

// A count with its noun, as the screens show it: "1 preset", "6 presets".
inline QString countedText(std::size_t count, const char* noun) {
    return QString::fromStdString(counted(count, noun));
}

class Screen;

// A screen held by work that may end after it has gone: a question's answer, a block back
// from the pedal's queue. Checked and used on the main thread only.
template <class T>
class ScreenGuard {
  public:
    ScreenGuard() = default;
    T* get() const { return alive_.expired() ? nullptr : screen_; }
    explicit operator bool() const { return get() != nullptr; }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }

  private:
    friend class Screen;
    ScreenGuard(std::weak_ptr<const void> alive, T* screen)
        : alive_(std::move(alive)), screen_(screen) {}

    std::weak_ptr<const void> alive_;
    T* screen_ = nullptr;
};

class Screen {
  public:
    // In the order that decides which way screens slide.
    enum class Kind { nothing, transfers, editor, settings };

    // The alert of a change of slots asked for while the pedal's presets are being read.
    static constexpr const char* kRefreshingHeadline = "Hang on while presets are being refreshed";
    static constexpr const char* kRefreshingFinePrint =
        "The pedal's presets are still being read. Try again once they are all in.";

    virtual ~Screen() {
        // Nothing deferred calls in while the view goes.
        alive_.reset();
        delete view_;
    }
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
    enum class Command { save, saveAs, undo, redo, cut, copy, paste };
    virtual bool validateCommand(Command /*command*/) { return false; }
    // The menu item's title for a command ("Undo Move"); empty for its usual title.
    virtual QString commandTitle(Command /*command*/) { return {}; }
    virtual void performCommand(Command /*command*/) {}

    // The pedal this screen works on has gone: what the screen had under way with it ends
    // now. Its questions close unanswered; a screen with more under way (a drag) ends that
    // too. A file chooser stays with the window, and its answer does nothing.
    virtual void pedalLeft() {
        if (!view_) return;
        for (ui::Alert* alert : view_->findChildren<ui::Alert*>()) delete alert;
    }
    // The slots whose presets hold edits the pedal has not stored, the one shown first.
    virtual std::vector<std::size_t> unsavedPresets() { return {}; }
    // Stores the edits of that slot's preset, as Save does. `saved` is called on the main
    // thread with whether the pedal took them, and not at all once the screen has gone. False,
    // having sent nothing, when they cannot be stored now (the screen says why).
    virtual bool savePreset(std::size_t /*slot*/, std::function<void(bool saved)> /*saved*/) {
        return false;
    }

    // The pedal this screen was made for; none once it is gone.
    DeviceRef device() const { return device_.lock(); }

    // The screen, for work that may end after it has gone.
    template <class T>
    ScreenGuard<T> guarded(T* self) const {
        return ScreenGuard<T>(alive_, self);
    }

  protected:
    explicit Screen(const DeviceRef& device) : device_(device) {}
    virtual QWidget* loadView() = 0;
    virtual void viewDidLoad() {}

  private:
    std::weak_ptr<QORUARTDevice> device_;
    std::shared_ptr<const void> alive_ = std::make_shared<int>(0);
    QPointer<QWidget> view_;
};

}  // namespace harbrix
