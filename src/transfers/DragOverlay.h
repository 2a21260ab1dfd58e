// The picture of a running drag, drawn over the whole window where the pointer is: centred
// on the pointer, hanging a little below it. It takes no clicks, so the pointer reaches
// whatever lies beneath.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace harbrix {

class DragOverlay : public QWidget {
    Q_OBJECT
  public:
    // How far the picture hangs below the pointer.
    static constexpr int kDrop = 10;

    explicit DragOverlay(QWidget* window);

    // Shows `picture` with its hot spot at the pointer (the window's coordinates); `suffix`
    // names it ("swap") for whoever asks what is shown.
    void show(const QPixmap& picture, const QString& suffix, const QPoint& pointer);
    QString suffix() const { return suffix_; }
    // Where the pointer is, in the window's coordinates.
    QPoint pointer() const { return geometry().topLeft() + hotSpot(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPoint hotSpot() const { return QPoint(width() / 2, -kDrop); }

    QPixmap picture_;
    QString suffix_;
};

}  // namespace harbrix
