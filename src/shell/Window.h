// The application's one main window: the background as its content view with the header
// on top and the screens below it. The content keeps its design size: a window made smaller
// (or opened on a screen smaller than that) scrolls it, so no control is ever out of reach,
// and it follows the keyboard focus. Closing it quits the application, once its close guard
// (when one is set) allows it.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QRect>
#include <QScrollArea>

#include <functional>
#include <map>
#include <memory>

#include "shell/Screen.h"

namespace Ui {
class Header;
}

namespace harbrix {

class Background;

class Window : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 1100;
    static constexpr int kHeight = 720;
    static constexpr int kHeaderHeight = 80;
    // The smallest the window can be made; below the design size it scrolls.
    static constexpr int kMinimumWidth = 480;
    static constexpr int kMinimumHeight = 320;

    Window();
    ~Window() override;

    // The view every screen, the menu, the chooser and the shields are placed in.
    Background* contentView() const { return content_; }
    QWidget* header() const { return header_; }
    // What holds the content view and scrolls it when the window is smaller.
    QScrollArea* scrollArea() const { return scroll_; }
    // The header's widgets as the layout file made them.
    Ui::Header& headerForm() const { return *form_; }
    // Where a shown screen sits in the content view: everything below the header.
    QRect screenArea() const;
    // Asked before the window closes; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // The File menu's Save and Save As and the Edit menu's Undo, Redo, Cut, Copy and Paste,
    // with their shortcuts; the controller decides what they do.
    QAction* commandAction(Screen::Command command) const;
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* editMenu() const { return editMenu_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<Ui::Header> form_;
    Background* content_;
    QScrollArea* scroll_;
    QWidget* header_;
    std::function<bool()> closeGuard_;
    QMenu* fileMenu_;
    QMenu* editMenu_;
    std::map<Screen::Command, QAction*> commands_;
};

}  // namespace harbrix
