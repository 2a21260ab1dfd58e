// One item of the header menu: a controller holding its title and hover mark, and the view
// that tracks the pointer over its whole bounds and reports clicks to the menu.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class MenuItem;
}

namespace harbrix {

class Menu;
class MenuItem;

class MenuItemView : public QWidget {
    Q_OBJECT
  public:
    explicit MenuItemView(MenuItem* controller, QWidget* parent = nullptr);
    MenuItem* controller() const { return controller_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    MenuItem* controller_;
};

class MenuItem : public QObject {
    Q_OBJECT
  public:
    // A new item with its view loaded.
    static std::unique_ptr<MenuItem> item();
    ~MenuItem() override;

    QString title() const;
    // An empty title for none; the label is sized to the text.
    void setTitle(const QString& title);
    bool hovered() const { return hovered_; }
    void setHovered(bool hovered);

    Menu* delegate() const { return delegate_; }
    void setDelegate(Menu* delegate) { delegate_ = delegate; }
    // Owned by the item until it is put into a parent view.
    MenuItemView* view() const { return view_; }

  private:
    MenuItem();

    std::unique_ptr<Ui::MenuItem> form_;
    QPointer<MenuItemView> view_;
    QPointer<Menu> delegate_;
    bool hovered_ = false;
};

}  // namespace harbrix
