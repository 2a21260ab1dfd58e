// The application object. While the header menu is open it feeds the menu: arrow keys move
// its mark, Return, Enter and Space choose, Escape closes it, and releasing the mouse button
// outside it closes it (that release then goes on as usual). Everything else is dispatched
// as usual.
#pragma once

#include <QApplication>
#include <QPoint>

namespace harbrix {

// What the application asks of its controller about the header menu.
class MenuHost {
  public:
    virtual ~MenuHost() = default;
    virtual bool menuOpen() const = 0;
    // A point in the main window's coordinates.
    virtual bool pointInMenuBounds(const QPoint& windowPoint) const = 0;
    virtual QWidget* mainWindow() const = 0;
    virtual void menuUp() = 0;
    virtual void menuDown() = 0;
    virtual void menuGo() = 0;
    virtual void closeMenu() = 0;
};

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);

    static Application* instance();
    MenuHost* menuHost() const { return host_; }
    void setMenuHost(MenuHost* host) { host_ = host; }

    bool notify(QObject* receiver, QEvent* event) override;
    // The menu's part of dispatch: true when the event was used up.
    static bool routeToMenu(MenuHost& host, QEvent* event);

  private:
    MenuHost* host_ = nullptr;
};

}  // namespace harbrix
