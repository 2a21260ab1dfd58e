// The window's content view: the background image stretched over it. It takes keyboard
// focus when nothing else should, and lets every key go on to the window.
#pragma once

#include <QWidget>

namespace harbrix {

class Background : public QWidget {
    Q_OBJECT
  public:
    explicit Background(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace harbrix
