// The window and menu events that close the open header menu. Each stands for one of the
// platform notifications the menu closes on (the window moving, resizing, losing focus,
// being miniaturised or closed, a sheet beginning or ending, a menu being tracked or
// choosing an action); several notifications share one Qt event.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

namespace harbrix {

struct MenuClosingEvent {
    const char* notification;
    enum Source { window, platformWindow, anyMenu } source;
    QEvent::Type type;
};

// The fifteen notifications and their Qt equivalents.
const std::vector<MenuClosingEvent>& menuClosingEvents();

// Watches the window (and every menu of the application) and calls `close` on any event of
// the table. Lives as long as the window.
class MenuCloser : public QObject {
    Q_OBJECT
  public:
    MenuCloser(QWidget* window, std::function<void()> close);
    ~MenuCloser() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    std::function<void()> close_;
};

}  // namespace harbrix
