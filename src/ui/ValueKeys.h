// The keys of a value control (knob, fader, slider): the arrows move one step, Up and Right
// up, Down and Left down; Page Up and Page Down move a page; Home and End go to the ends.
// A key held down is one gesture, as a pointer held down is: it ends when the key is let go
// or the control loses the keyboard.
#pragma once

#include <QKeyEvent>

#include <optional>

namespace harbrix::ui {

struct ValueSteps {
    double step = 1;
    double page = 10;
    double low = 0;
    double high = 100;
};

// The value `key` moves `value` to, kept within low..high; nullopt for any other key.
std::optional<double> valueForKey(int key, double value, const ValueSteps& steps);

class ValueKeyGesture {
  public:
    // One of the keys above, without Ctrl, Alt or Meta (those belong to shortcuts).
    static bool isValueKey(const QKeyEvent& event);
    // The value a press moves to; nullopt when it does not change `value`.
    std::optional<double> press(const QKeyEvent& event, double value, const ValueSteps& steps);
    // True when the release ends a gesture that changed the value (held keys repeat their
    // presses and releases; only the last release counts).
    bool release(const QKeyEvent& event);
    // Ends the gesture; true when it changed the value.
    bool end();

  private:
    bool moved_ = false;
};

}  // namespace harbrix::ui
