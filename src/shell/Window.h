// The application's one main window: the background as its content view with the header
// on top and the screens below it. Closing it quits the application, once its close guard
// (when one is set) allows it.
#pragma once

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>

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

    Window();
    ~Window() override;

    // The view every screen, the menu, the chooser and the shields are placed in.
    Background* contentView() const { return content_; }
    QWidget* header() const { return header_; }
    // The header's widgets as the layout file made them.
    Ui::Header& headerForm() const { return *form_; }
    // Where a shown screen sits in the content view: everything below the header.
    QRect screenArea() const;
    // Asked before the window closes; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<Ui::Header> form_;
    Background* content_;
    QWidget* header_;
    std::function<bool()> closeGuard_;
};

}  // namespace harbrix
