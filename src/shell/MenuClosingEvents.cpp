// The menu-closing events.
#include "shell/MenuClosingEvents.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <QWindow>

namespace harbrix {

const std::vector<MenuClosingEvent>& menuClosingEvents() {
    using E = MenuClosingEvent;
    static const std::vector<MenuClosingEvent> table = {
        {"NSMenuDidBeginTrackingNotification", E::anyMenu, QEvent::Show},
        {"NSMenuWillSendActionNotification", E::anyMenu, QEvent::Hide},
        {"NSWindowDidChangeScreenNotification", E::window, QEvent::ScreenChangeInternal},
        {"NSWindowDidDeminiaturizeNotification", E::window, QEvent::WindowStateChange},
        {"NSWindowDidExposeNotification", E::platformWindow, QEvent::Expose},
        {"NSWindowDidMiniaturizeNotification", E::window, QEvent::WindowStateChange},
        {"NSWindowDidMoveNotification", E::window, QEvent::Move},
        {"NSWindowDidResignKeyNotification", E::window, QEvent::WindowDeactivate},
        {"NSWindowDidResignMainNotification", E::window, QEvent::WindowDeactivate},
        {"NSWindowDidResizeNotification", E::window, QEvent::Resize},
        {"NSWindowWillCloseNotification", E::window, QEvent::Close},
        {"NSWindowWillMiniaturizeNotification", E::window, QEvent::WindowStateChange},
        {"NSWindowWillMoveNotification", E::window, QEvent::Move},
        {"NSWindowWillBeginSheetNotification", E::window, QEvent::WindowBlocked},
        {"NSWindowDidEndSheetNotification", E::window, QEvent::WindowUnblocked},
    };
    return table;
}

MenuCloser::MenuCloser(QWidget* window, std::function<void()> close)
    : QObject(window), window_(window), close_(std::move(close)) {
    // The application's filter sees the window, its platform window and every menu.
    qApp->installEventFilter(this);
}

MenuCloser::~MenuCloser() {
    qApp->removeEventFilter(this);
}

bool MenuCloser::eventFilter(QObject* watched, QEvent* event) {
    if (!window_ || !close_) return false;
    MenuClosingEvent::Source source;
    if (watched == window_.data())
        source = MenuClosingEvent::window;
    else if (watched == window_->windowHandle())
        source = MenuClosingEvent::platformWindow;
    else if (qobject_cast<QMenu*>(watched) != nullptr)
        source = MenuClosingEvent::anyMenu;
    else
        return false;
    for (const MenuClosingEvent& closing : menuClosingEvents())
        if (closing.source == source && closing.type == event->type()) {
            close_();
            break;
        }
    return false;
}

}  // namespace harbrix
