// A main parameter control's twin in the breakout panel, kept in step with it. A switch twin
// toggles with its main switch, either way round, and the editor always hears from the main
// switch. A knob or fader's twin is a label "Prefix: value" that follows the control's
// position, also while it is dragged; a signed control shows "+6", "Ctr" or "-4".
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "editor/Switch.h"
#include "ui/Fader.h"
#include "ui/Knob.h"

namespace harbrix {

class Reflection : public ui::KnobDelegate, public ui::FaderDelegate {
  public:
    // A switch reflection for a switch twin, else a double reflection; none when the
    // controls cannot be tied together.
    static std::unique_ptr<Reflection> reflectionWith(QWidget* main, QWidget* breakout);
    // Needs a main switch that has an action.
    static std::unique_ptr<Reflection> buttonReflectionWith(QWidget* main, QWidget* breakout);
    // Needs a main knob or fader that has a delegate.
    static std::unique_ptr<Reflection> doubleReflectionWith(QWidget* main, QWidget* breakout);

    QWidget* main() const { return main_; }
    QWidget* breakout() const { return breakout_; }

    // Both switches' action.
    void action(Switch* sender);
    // Passed on to the main control's own delegate.
    void knob(ui::Knob* knob, bool final, double percentage) override;
    void fader(ui::Fader* fader, bool final, double percentage) override;
    std::map<int, QPixmap> capAssetsAndThresholds(ui::Fader* fader) override;

    // Brings the twin up to the main control.
    void sync();

  private:
    Reflection(QWidget* main, QWidget* breakout) : main_(main), breakout_(breakout) {}

    QPointer<QWidget> main_;
    QPointer<QWidget> breakout_;
    Switch::Action action_;                       // the main switch's own action
    ui::KnobDelegate* knobDelegate_ = nullptr;    // the main knob's own delegate
    ui::FaderDelegate* faderDelegate_ = nullptr;  // the main fader's own delegate
    bool ignore_ = false;
};

}  // namespace harbrix
