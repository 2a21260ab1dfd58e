// Fade and slide animations with the ease-in-ease-out curve. `done` runs when the animation
// ends, and not at all when the view is destroyed first.
#pragma once

#include <QEasingCurve>
#include <QPoint>
#include <QWidget>

#include <functional>

namespace harbrix::ui::animation {

// Screens fade over 0.5 s; the device chooser and the drop-down button over 0.25 s; screens
// slide over 0.25 s.
inline constexpr int kScreenFadeMs = 500;
inline constexpr int kChooserFadeMs = 250;
inline constexpr int kSlideMs = 250;

QEasingCurve easeInEaseOut();

// Fading in shows the view and raises its opacity from 0 to 1; fading out lowers it to 0 and
// then hides the view. A new fade of the same view replaces the running one.
void fade(QWidget* view, bool in, int durationMs, std::function<void()> done = {});
// Moves the view's top-left corner to `to`.
void slide(QWidget* view, const QPoint& to, int durationMs, std::function<void()> done = {});

// Tests switch the animations off: each then ends at once, before the call returns.
void setInstant(bool instant);

}  // namespace harbrix::ui::animation
