// Value keys.
#include "ui/ValueKeys.h"

#include <Qt>

#include <algorithm>
#include <utility>

namespace harbrix::ui {

std::optional<double> valueForKey(int key, double value, const ValueSteps& steps) {
    double moved = value;
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            moved = value + steps.step;
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            moved = value - steps.step;
            break;
        case Qt::Key_PageUp:
            moved = value + steps.page;
            break;
        case Qt::Key_PageDown:
            moved = value - steps.page;
            break;
        case Qt::Key_Home:
            return steps.low;
        case Qt::Key_End:
            return steps.high;
        default:
            return std::nullopt;
    }
    return std::clamp(moved, steps.low, steps.high);
}

}  // namespace harbrix::ui

namespace harbrix::ui {

bool ValueKeyGesture::isValueKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return valueForKey(event.key(), 0, {}).has_value();
}

std::optional<double> ValueKeyGesture::press(const QKeyEvent& event, double value,
                                             const ValueSteps& steps) {
    const auto moved = valueForKey(event.key(), value, steps);
    if (!moved || *moved == value) return std::nullopt;
    moved_ = true;
    return moved;
}

bool ValueKeyGesture::release(const QKeyEvent& event) {
    return !event.isAutoRepeat() && end();
}

bool ValueKeyGesture::end() {
    return std::exchange(moved_, false);
}

}  // namespace harbrix::ui
