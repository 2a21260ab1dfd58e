// An invisible click area laid over a view. It reports the pointer entering and leaving, a
// single click 0.2 s after release unless a second click turns it into a double click, and
// a drag start once the pointer has moved 10 points from where the button went down.
#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace harbrix::ui {

class HotSpotButton : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClickDelayMs = 200;
    static constexpr double kDragDistance = 10.0;

    explicit HotSpotButton(QWidget* parent = nullptr);

    // While this answers true (a modal shield is up) entering reports no hover. Process-wide.
    static void setHoverBlocker(std::function<bool()> blocker);

  signals:
    void hoverChanged(bool hovering);
    void clicked();
    void doubleClicked();
    // The pointer moved far enough with the button down; `origin` is where it went down,
    // `position` where it is now, both in this widget's coordinates.
    void dragStarted(const QPoint& origin, const QPoint& position);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QTimer singleClick_;
    QPoint origin_;
    bool pressed_ = false;
    bool dragging_ = false;
    bool secondClick_ = false;
};

}  // namespace harbrix::ui
