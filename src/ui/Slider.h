// The horizontal slider: a thumb image along the widget's width, with a value range and a
// snapping step. Only values the user produces (with the pointer pressed, or with the keys)
// reach the delegate; values set by the program are silent.
#pragma once

#include <QWidget>

namespace harbrix::ui {

class Slider;

// Receives the values the user slides to. Held without ownership.
class SliderDelegate {
  public:
    virtual ~SliderDelegate() = default;
    virtual void slider(Slider* slider, double value) = 0;
};

class Slider : public QWidget {
    Q_OBJECT
  public:
    explicit Slider(QWidget* parent = nullptr);

    SliderDelegate* delegate() const { return delegate_; }
    void setDelegate(SliderDelegate* delegate) { delegate_ = delegate; }
    // The thumb; without one the slider does not move.
    QString imageName() const { return imageName_; }
    void setImageName(const QString& name);
    // An optional track drawn behind the thumb, stretched over the width.
    void setTrackImageName(const QString& name);

    // 0 means no lower clamp beyond 0.
    unsigned min() const { return min_; }
    void setMin(unsigned min) { min_ = min; }
    // 0 stands for 100.
    unsigned max() const { return max_; }
    void setMax(unsigned max) { max_ = max; }
    // Step size; 0 means no snapping.
    unsigned snap() const { return snap_; }
    void setSnap(unsigned snap) { snap_ = snap; }
    bool down() const { return down_; }

    double doubleValue() const { return value_; }
    // Applies range and snap; tells the delegate only while the pointer is pressed.
    void setDoubleValue(double value);
    // Moves the thumb to a pointer position measured from the widget's left edge.
    void slide(double x);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The arrows move one snap step (1 without snapping), Page Up and Page Down ten points
    // or a step, Home and End to the ends of the range.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    SliderDelegate* delegate_ = nullptr;
    QString imageName_;
    QString trackImageName_;
    unsigned min_ = 0;
    unsigned max_ = 0;
    unsigned snap_ = 0;
    bool down_ = false;
    double value_ = 0;
};

}  // namespace harbrix::ui
