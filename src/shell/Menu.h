// The header's pull-down menu: "About...", "Software Update..." and the vendor's web address,
// hung from the menu button. The view takes keyboard focus while open so that the keys the
// application routes to it never reach the screens; a choice is announced as a signal.
#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

namespace Ui {
class Menu;
}

namespace harbrix {

class MenuItem;

class Menu : public QWidget {
    Q_OBJECT
  public:
    // The vendor's web site, shown as the third item and opened by the logo.
    static constexpr const char* kWebsiteTitle = "www.brellwick.com";
    static constexpr const char* kWebsiteURL = "https://www.brellwick.com";

    // A loaded menu, or none when its items could not be made.
    static Menu* menu(QWidget* parent = nullptr);
    ~Menu() override;

    // Makes the three items and puts their views into the slots; false leaves it empty.
    bool populateSlots();
    // Whether a point of the window falls on the hamburger or the body.
    bool hitTest(const QPoint& windowPoint) const;

    void itemEntered(MenuItem* item);
    void itemExited(MenuItem* item);
    void itemClicked(MenuItem* item);

    MenuItem* about() const { return about_.get(); }
    MenuItem* software() const { return software_.get(); }
    MenuItem* website() const { return website_.get(); }
    QWidget* registration() const;
    QWidget* hamburger() const;
    QWidget* body() const;

  signals:
    void aboutChosen();
    void softwareChosen();
    void websiteChosen();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    explicit Menu(QWidget* parent);

    std::unique_ptr<Ui::Menu> form_;
    std::unique_ptr<MenuItem> about_;
    std::unique_ptr<MenuItem> software_;
    std::unique_ptr<MenuItem> website_;
};

}  // namespace harbrix
