// The order Tab visits a view's controls in: reading order.
#pragma once

#include <QWidget>

namespace harbrix::ui {

// Chains every control under `root` that takes the keyboard from Tab in reading order: rows
// from the top down, each row from left to right, where a row is the controls whose tops
// lie above the bottom of the row's first one. The chain starts behind `root` itself. A
// layout's button that another took the place of (kept hidden inside it) is left out.
void setReadingOrder(QWidget* root);

}  // namespace harbrix::ui
