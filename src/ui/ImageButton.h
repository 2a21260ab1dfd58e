// Buttons drawn from images by state. A push button shows NAME, NAME_pressed, NAME_disabled
// and NAME_hover; a toggle (two-state) button shows NAME_selected when on, NAME_deselected
// when off, NAME_pressed and NAME_hover. A state without its own image falls back to the
// plain image (a disabled one then drawn faded). A layout's ordinary push button is turned
// into one with `replace`, which keeps its place and its connections.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPoint>
#include <QString>

namespace harbrix::ui {

class ImageButton : public QAbstractButton {
    Q_OBJECT
  public:
    // The dynamic property a layout's button carries its image name in.
    static constexpr const char* kImageProperty = "imageName";

    // A push button with the images of `base`.
    explicit ImageButton(const QString& base = QString(), QWidget* parent = nullptr);

    // Names each state's image; an empty name means "use the plain image".
    void setImages(const QString& normal, const QString& pressed, const QString& disabled,
                   const QString& hover);
    QString baseName() const { return base_; }
    // The image drawn in the button's present state.
    QString currentImageName() const;

    bool hovered() const { return hovered_; }
    // The pointer's presence, also set by the program (a hover left behind by a move).
    void setHovered(bool hovered);

    // Title text drawn centred over the image; colours for on (and push buttons) and off.
    void setTitleColors(const QColor& on, const QColor& off);
    // Stretches the image over the whole button, keeping ends of `cap` points; a negative cap
    // draws the image at its own size, centred.
    void setStretchCap(qreal cap);
    // Shifts the image (not the title), e.g. down by 10 points.
    void setImageOffset(const QPoint& offset);

    QSize sizeHint() const override;

    // "A_B_C" cut before its last "_" ("A_B") when an image named that plus `probeSuffix`
    // exists; otherwise the whole name.
    static QString cutName(const QString& imageName, const QString& probeSuffix = QString());
    // Puts `replacement` where `old` is: parent, layout slot, geometry, visibility, enabled
    // state, object name and (when asked) tool tip. Clicks on the replacement are sent on as
    // `old`'s clicked(), so whatever `old` was connected to keeps working; `old` stays, hidden,
    // as a child of the replacement.
    static void takePlace(QAbstractButton* old, QAbstractButton* replacement, bool keepToolTip);
    // A push button in place of `old`, its images named after the cut of `old`'s image name.
    static ImageButton* replace(QAbstractButton* old, bool keepToolTip = true);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Space (as for every button) and Return or Enter click a button that has the keyboard.
    void keyPressEvent(QKeyEvent* event) override;

    QString base_;
    QString normal_;
    QString pressed_;
    QString disabled_;
    QString hover_;
    QString selected_;  // toggle buttons only

  private:
    bool hovered_ = false;
    QColor titleOn_ = Qt::white;
    QColor titleOff_ = Qt::white;
    qreal stretchCap_ = -1;
    QPoint imageOffset_;
};

// A two-state button; starts off.
class ToggleButton : public ImageButton {
    Q_OBJECT
  public:
    explicit ToggleButton(const QString& base = QString(), QWidget* parent = nullptr);
    // A toggle button in place of `old`, its images named after the cut of `old`'s image name.
    static ToggleButton* replace(QAbstractButton* old, bool keepToolTip = true);
};

}  // namespace harbrix::ui
