// The editor screen's view: it holds the keyboard while the screen shows (the preset list
// never takes it) and hands key presses to its controller. While it has the keyboard the
// focus ring goes round the preset list, which is what its keys move.
#pragma once

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <functional>

#include "ui/FocusRing.h"

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
    // The view the focus ring goes round.
    void setFocusFrame(QWidget* frame) { focusFrame_ = frame; }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (keyHandler_ && keyHandler_(event->key())) return;
        QWidget::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        if (!hasFocus() || !focusFrame_) return;
        QPainter painter(this);
        const QRect frame(focusFrame_->mapTo(this, QPoint(0, 0)), focusFrame_->size());
        ui::paintFocusRing(painter, QRectF(frame).adjusted(-3, -3, 3, 3));
    }

  private:
    KeyHandler keyHandler_;
    QPointer<QWidget> focusFrame_;
};

}  // namespace harbrix
