// Event dispatch while the header menu is open.
#include "shell/Application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace harbrix {
namespace {

enum class MenuKey { none, up, down, go, close };

MenuKey menuKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            return MenuKey::up;
        case Qt::Key_Down:
        case Qt::Key_Right:
            return MenuKey::down;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return MenuKey::go;
        case Qt::Key_Escape:
            return MenuKey::close;
        default:
            return MenuKey::none;
    }
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

Application* Application::instance() {
    return qobject_cast<Application*>(QCoreApplication::instance());
}

bool Application::routeToMenu(MenuHost& host, QEvent* event) {
    if (!host.menuOpen()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QWidget* window = host.mainWindow();
            if (mouse->button() != Qt::LeftButton || window == nullptr) return false;
            const QPoint point = window->mapFromGlobal(mouse->globalPosition().toPoint());
            if (!host.pointInMenuBounds(point)) host.closeMenu();
            return false;
        }
        case QEvent::KeyPress: {
            // The keys the menu acts on when released do nothing else meanwhile.
            return menuKey(static_cast<QKeyEvent*>(event)->key()) != MenuKey::none;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            const MenuKey action = menuKey(key->key());
            if (action == MenuKey::none) return false;
            // Held keys repeat their presses; the menu moves once per key.
            if (key->isAutoRepeat()) return true;
            if (action == MenuKey::up) host.menuUp();
            if (action == MenuKey::down) host.menuDown();
            if (action == MenuKey::go) host.menuGo();
            if (action == MenuKey::close) host.closeMenu();
            return true;
        }
        default:
            return false;
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (host_ != nullptr && receiver->isWidgetType() && routeToMenu(*host_, event)) return true;
    return QApplication::notify(receiver, event);
}

}  // namespace harbrix
