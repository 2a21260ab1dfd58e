// Breakout twins.
#include "editor/Reflection.h"

#include <QLabel>
#include <QRegularExpression>

#include "devices/PresetParameters.h"
#include "platform/Log.h"

namespace harbrix {

std::unique_ptr<Reflection> Reflection::reflectionWith(QWidget* main, QWidget* breakout) {
    if (qobject_cast<QAbstractButton*>(breakout) != nullptr)
        return buttonReflectionWith(main, breakout);
    return doubleReflectionWith(main, breakout);
}

std::unique_ptr<Reflection> Reflection::buttonReflectionWith(QWidget* main, QWidget* breakout) {
    auto* mainSwitch = qobject_cast<Switch*>(main);
    auto* twin = qobject_cast<Switch*>(breakout);
    if (mainSwitch == nullptr || twin == nullptr || !mainSwitch->action()) return nullptr;
    std::unique_ptr<Reflection> reflection(new Reflection(main, breakout));
    reflection->action_ = mainSwitch->action();
    Reflection* self = reflection.get();
    const auto forward = [self](Switch* sender) { self->action(sender); };
    mainSwitch->setAction(forward);
    twin->setAction(forward);
    return reflection;
}

std::unique_ptr<Reflection> Reflection::doubleReflectionWith(QWidget* main, QWidget* breakout) {
    if (breakout == nullptr) return nullptr;
    std::unique_ptr<Reflection> reflection(new Reflection(main, breakout));
    if (auto* knob = qobject_cast<ui::Knob*>(main);
        knob != nullptr && knob->delegate() != nullptr) {
        reflection->knobDelegate_ = knob->delegate();
        knob->setDelegate(reflection.get());
        return reflection;
    }
    if (auto* fader = qobject_cast<ui::Fader*>(main);
        fader != nullptr && fader->delegate() != nullptr) {
        reflection->faderDelegate_ = fader->delegate();
        fader->setDelegate(reflection.get());
        return reflection;
    }
    return nullptr;
}

void Reflection::action(Switch* sender) {
    if (ignore_) return;
    auto* mainSwitch = qobject_cast<Switch*>(main_.data());
    auto* twin = qobject_cast<Switch*>(breakout_.data());
    if (mainSwitch == nullptr) return;
    // Click the other one too, without hearing back from it.
    QAbstractButton* other = sender == mainSwitch ? twin : sender == twin ? mainSwitch : nullptr;
    if (other != nullptr) {
        ignore_ = true;
        other->click();
        ignore_ = false;
    }
    if (action_) action_(mainSwitch);
}

void Reflection::knob(ui::Knob* knob, bool final, double percentage) {
    if (ignore_ || knobDelegate_ == nullptr) return;
    ignore_ = true;
    knobDelegate_->knob(knob, final, percentage);
    ignore_ = false;
}

void Reflection::fader(ui::Fader* fader, bool final, double percentage) {
    if (ignore_ || faderDelegate_ == nullptr) return;
    ignore_ = true;
    faderDelegate_->fader(fader, final, percentage);
    ignore_ = false;
}

std::map<int, QPixmap> Reflection::capAssetsAndThresholds(ui::Fader* fader) {
    return faderDelegate_ != nullptr ? faderDelegate_->capAssetsAndThresholds(fader)
                                     : std::map<int, QPixmap>{};
}

void Reflection::sync() {
    if (!main_ || !breakout_) return;
    if (auto* twin = qobject_cast<QAbstractButton*>(breakout_.data())) {
        if (auto* mainButton = qobject_cast<QAbstractButton*>(main_.data()))
            twin->setChecked(mainButton->isChecked());
        return;
    }
    auto* label = qobject_cast<QLabel*>(breakout_.data());
    if (label == nullptr) return;
    static const QRegularExpression prefixPattern(QStringLiteral("^[^\\:]+"));
    const QRegularExpressionMatch prefix = prefixPattern.match(label->text());
    if (!prefix.hasMatch()) {
        logLine("SOMETHING'S WRONG WITH REFLECTION REGEX");
        return;
    }
    QString value;
    if (auto* mainButton = qobject_cast<QAbstractButton*>(main_.data())) {
        value = mainButton->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    } else {
        double position = 0;
        bool signedValue = false;
        if (auto* knob = qobject_cast<ui::Knob*>(main_.data())) {
            position = knob->doubleValue();
            signedValue = knob->plusOrMinus();
        } else if (auto* fader = qobject_cast<ui::Fader*>(main_.data())) {
            position = fader->doubleValue();
            signedValue = fader->plusOrMinus();
        }
        const int v = parameters::valueForPercentage(position);
        value =
            QString::fromStdString(signedValue ? parameters::centredText(v) : std::to_string(v));
    }
    label->setText(QStringLiteral("%1: %2").arg(prefix.captured(0), value));
    label->adjustSize();
}

}  // namespace harbrix
