// Three-slice images: the two end caps drawn at their own size and the middle stretched,
// so one image serves a control of any length (tabs, tracks, scroll bar knobs).
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>

namespace harbrix::ui {

// Draws the named image over `area`. `cap` is the length of each end in points; a negative
// cap means half the image's thickness (round ends). Caps shrink when the area is shorter
// than both of them.
void drawThreeSlice(QPainter& painter, const QRectF& area, const QString& imageName,
                    Qt::Orientation orientation, qreal devicePixelRatio, qreal cap = -1);

class ThreeSliceView : public QWidget {
    Q_OBJECT
  public:
    explicit ThreeSliceView(const QString& imageName = QString(),
                            Qt::Orientation orientation = Qt::Horizontal,
                            QWidget* parent = nullptr);

    QString imageName() const { return imageName_; }
    void setImageName(const QString& name);
    void setCap(qreal cap);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString imageName_;
    Qt::Orientation orientation_;
    qreal cap_ = -1;
};

}  // namespace harbrix::ui
