// The rotary knob: an image turned about its centre through a 270-degree sweep, 0 % pointing
// down-left, 50 % straight up and 100 % down-right. A `limited` knob cannot be turned through
// the bottom quarter; a `plusOrMinus` knob snaps to its centre (64 of 127) when dragged near it.
#pragma once

#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include "ui/ValueKeys.h"

namespace harbrix::ui {

class Knob;

// Receives the knob's percentage: while it turns (final false, continuous knobs only) and
// once when the pointer or the key that turned it is released (final true). Held without
// ownership.
class KnobDelegate {
  public:
    virtual ~KnobDelegate() = default;
    virtual void knob(Knob* knob, bool final, double percentage) = 0;
};

class Knob : public QWidget {
    Q_OBJECT
  public:
    // The percentage of the centre detent: 64 of 127.
    static constexpr double kCentre = 50.39370078740158;

    explicit Knob(QWidget* parent = nullptr);

    KnobDelegate* delegate() const { return delegate_; }
    void setDelegate(KnobDelegate* delegate) { delegate_ = delegate; }
    bool limited() const { return limited_; }
    void setLimited(bool limited) { limited_ = limited; }
    bool plusOrMinus() const { return plusOrMinus_; }
    void setPlusOrMinus(bool plusOrMinus) { plusOrMinus_ = plusOrMinus; }
    bool continuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }
    // The knob's picture, drawn pointing straight up at angle 0.
    void setImageName(const QString& name);
    QString imageName() const { return imageName_; }

    // How far one arrow key turns the knob, in percent; Page Up and Page Down turn ten times
    // as far, Home and End to the ends. The knob takes the keyboard from Tab only, so a click
    // leaves the keyboard where it was.
    double keyStep() const { return keyStep_; }
    void setKeyStep(double percent) { keyStep_ = percent; }

    // The rotation centre in the widget's coordinates; the middle unless set.
    QPointF center() const;
    void setCenter(const QPointF& center);

    // Anticlockwise from straight up, radians in [0, 2pi).
    double angle() const { return angle_; }
    // The current percentage, 0..100.
    double doubleValue() const { return value_; }
    // Turns the knob to a percentage without the detent and without telling the delegate.
    void setDoubleValue(double percentage);

    // Turns the knob to an angle, snapping to the detent when `plusOrMinus`.
    void spin(double angle);
    // The angle of a pointer position in widget coordinates, kept out of the dead zone
    // when `limited`.
    double normalizedAngleFromPoint(const QPointF& point) const;

    static double percentageForAngle(double angle);
    static double angleForPercentage(double percentage);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void report(bool final);

    KnobDelegate* delegate_ = nullptr;
    bool limited_ = false;
    bool plusOrMinus_ = false;
    bool continuous_ = true;
    bool centerSet_ = false;
    QPointF center_;
    double angle_ = 0;
    double value_ = 50;
    QString imageName_;
    double keyStep_ = 1;
    ValueKeyGesture keys_;
};

}  // namespace harbrix::ui
