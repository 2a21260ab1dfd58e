// A parameter switch: a two-state image button that, like a control with a target and an
// action, tells one receiver each time it is clicked (by the pointer or by the program).
// A layout names the receiver's action in the switch's "action" property; the controller
// that loads the layout turns that name into the call.
#pragma once

#include <functional>

#include "ui/ImageButton.h"

namespace harbrix {

class Switch : public ui::ToggleButton {
    Q_OBJECT
  public:
    using Action = std::function<void(Switch* sender)>;

    // The dynamic property that names the action in a layout ("buttonStateChanged").
    static constexpr const char* kActionProperty = "action";

    explicit Switch(QWidget* parent = nullptr);

    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }

  private:
    Action action_;
};

}  // namespace harbrix
