// The editor screen's view: it holds the keyboard while the screen shows (the preset list
// never takes it) and hands key presses to its controller.
#pragma once

#include <QKeyEvent>
#include <QWidget>

#include <functional>

namespace harbrix {

class EditorView : public QWidget {
    Q_OBJECT
  public:
    // Answers whether the key was used.
    using KeyHandler = std::function<bool(int key)>;

    explicit EditorView(QWidget* parent = nullptr) : QWidget(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    void setKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (keyHandler_ && keyHandler_(event->key())) return;
        QWidget::keyPressEvent(event);
    }

  private:
    KeyHandler keyHandler_;
};

}  // namespace harbrix
