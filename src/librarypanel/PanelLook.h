// The library panel's look, in the window's dark colours and its Fira Sans faces: the
// alerts' greys and buttons, the yellow of the selection and the primary button.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace harbrix::panel_look {

// For the panel and everything in it.
QString styleSheet();
// The texts' sizes, in the screens' points.
inline constexpr qreal kTextSize = 12;
inline constexpr qreal kSmallSize = 11;
inline constexpr qreal kHeadingSize = 13;

// The quiet two-line message under a list: what it holds, or what went wrong.
QLabel* messageLabel(QWidget* parent);

}  // namespace harbrix::panel_look
