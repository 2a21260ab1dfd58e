// The modal click shield: a view laid over a window's whole content that keeps every mouse
// event from the views below, optionally runs an action when clicked, and optionally tints
// the window. Raised shields are kept on one process-wide stack, so any screen can ask
// whether a modal shield is up and ignore its input meanwhile.
#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>

namespace harbrix {

class Shield : public QWidget {
    Q_OBJECT
  public:
    using Action = std::function<void()>;

    // A new shield over the window's content view (the central widget of a main window, else
    // the window itself); none without a window.
    static Shield* beginShieldedModalForWindow(QWidget* window, Action clicked);
    static Shield* beginShieldedModalForWindow(QWidget* window, const QColor& color);
    static Shield* beginShieldedModalForWindow(QWidget* window);
    // Whether any shield is raised.
    static bool shieldsUp();

    // Takes the shield off the window and off the stack; the object is deleted later.
    void end();

    QColor color() const { return color_.value_or(Qt::transparent); }

  protected:
    // Follows the content view's size.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    Shield(QWidget* content, Action clicked, std::optional<QColor> color);
    static Shield* raise(QWidget* window, Action clicked, std::optional<QColor> color);

    Action clicked_;
    std::optional<QColor> color_;
    bool ended_ = false;
};

}  // namespace harbrix
