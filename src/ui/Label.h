// Text labels in the screens' fonts and colours, and plain coloured views.
#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

#include "ui/Fonts.h"

namespace harbrix::ui {

class Label : public QLabel {
    Q_OBJECT
  public:
    explicit Label(const QString& text = QString(), fonts::Weight weight = fonts::Weight::Regular,
                   qreal pointSize = 13, const QColor& color = Qt::white,
                   QWidget* parent = nullptr);

    QColor color() const { return color_; }
    // The text colour; its alpha is the label's opacity.
    void setColor(const QColor& color);
    void setFontWeight(fonts::Weight weight, qreal pointSize);
    // Resizes to the text, keeping the top-left corner.
    void sizeToFit();

  private:
    QColor color_;
};

// A view filled with one colour, optionally with rounded corners and an outline.
class ColorView : public QWidget {
    Q_OBJECT
  public:
    explicit ColorView(const QColor& color = Qt::transparent, QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    void setCornerRadius(qreal radius);
    void setOutline(const QColor& color, qreal width);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
    QColor outline_ = Qt::transparent;
    qreal outlineWidth_ = 0;
    qreal radius_ = 0;
};

}  // namespace harbrix::ui
