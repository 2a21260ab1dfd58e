// A scroll bar drawn from an image: the knob is the named image stretched along the bar
// (three-slice), the track is left clear. Dragging the knob scrolls; a click beside it pages.
#pragma once

#include <QScrollBar>

namespace harbrix::ui {

class ScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    static constexpr int kMinimumKnobLength = 20;
    static constexpr int kMargin = 2;

    explicit ScrollBar(const QString& imageName, Qt::Orientation orientation = Qt::Vertical,
                       QWidget* parent = nullptr);

    QString imageName() const { return imageName_; }
    // The knob's frame in the bar's coordinates; empty when everything is visible.
    QRect knobRect() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int along(const QPoint& point) const;
    int trackLength() const;

    QString imageName_;
    int grabOffset_ = -1;  // where in the knob the pointer holds it; -1 when not dragging
};

}  // namespace harbrix::ui
