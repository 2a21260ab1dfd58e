// The vertical fader: a cap image that slides along the widget's height, chosen per whole
// percentage from the thresholds its delegate supplies (entry i shows the image of the
// largest threshold not above i).
#pragma once

#include <QPixmap>
#include <QWidget>

#include <map>
#include <vector>

#include "ui/ValueKeys.h"

namespace harbrix::ui {

class Fader;

// Supplies the cap images and receives the fader's percentage: while it moves (final false,
// continuous faders only) and once when the pointer or the key that moved it is released
// (final true). Held without ownership.
class FaderDelegate {
  public:
    virtual ~FaderDelegate() = default;
    virtual std::map<int, QPixmap> capAssetsAndThresholds(Fader* fader) = 0;
    virtual void fader(Fader* fader, bool final, double percentage) = 0;
};

class Fader : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kEntries = 101;  // one cap per whole percentage, 0 to 100

    explicit Fader(QWidget* parent = nullptr);

    FaderDelegate* delegate() const { return delegate_; }
    // Takes the delegate and builds the cap table from its thresholds.
    void setDelegate(FaderDelegate* delegate);
    // Builds the cap table again from the delegate.
    void loadCaps();

    bool continuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }
    // Carried for the delegate (a signed label); the fader itself ignores it.
    bool plusOrMinus() const { return plusOrMinus_; }
    void setPlusOrMinus(bool plusOrMinus) { plusOrMinus_ = plusOrMinus; }
    // How far one arrow key moves the cap, in percent; Page Up and Page Down move ten times as
    // far, Home and End to the ends. The fader takes the keyboard from Tab only.
    double keyStep() const { return keyStep_; }
    void setKeyStep(double percent) { keyStep_ = percent; }
    // An optional image drawn centred behind the cap, stretched over the height.
    void setTrackImageName(const QString& name);

    double doubleValue() const { return value_; }
    // Clamps to 0..100; an unchanged value does nothing.
    void setDoubleValue(double percentage);
    // The cap table: kEntries entries, null where no threshold reaches.
    const std::vector<QPixmap>& assets() const { return assets_; }
    // The cap drawn at the current value (null when none).
    QPixmap currentCap() const;

    // Moves the cap to a pointer height measured upwards from the widget's bottom.
    void slide(double y);

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
    const QPixmap* firstCap() const;
    void slideTo(const QMouseEvent* event);
    void report(bool final);

    FaderDelegate* delegate_ = nullptr;
    bool continuous_ = true;
    bool plusOrMinus_ = false;
    double value_ = 0;
    std::vector<QPixmap> assets_;
    QString trackImageName_;
    double keyStep_ = 1;
    ValueKeyGesture keys_;
};

}  // namespace harbrix::ui
