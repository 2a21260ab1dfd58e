// The MIV III status panel and its highlight rules.
#include "shell/MIV3Status.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "devices/Preset.h"
#include "ui_MIV3Status.h"

namespace harbrix {
namespace {

// The group's mask for switches that light one item each, with the title lit when any is.
unsigned itemsMask(const Preset& preset,
                   std::initializer_list<std::pair<std::string_view, unsigned>> switches) {
    unsigned mask = 0;
    for (const auto& [key, bit] : switches)
        if (preset.value(key).value_or(0) != 0) mask |= bit;
    return mask != 0 ? mask | StatusGroup::kTitle : 0;
}

}  // namespace

MIV3Status::MIV3Status(QWidget* parent) : Status(parent) {}

MIV3Status::~MIV3Status() = default;

MIV3Status* MIV3Status::load(QWidget* parent) {
    auto* panel = new MIV3Status(parent);
    panel->form_ = std::make_unique<Ui::MIV3Status>();
    panel->form_->setupUi(panel);
    panel->form_->background->setScaling(ui::ImageView::Scaling::Stretch);
    panel->form_->title->setFontWeight(ui::fonts::Weight::Medium, 14);
    panel->form_->subtitle->setColor(QColor(255, 255, 255, 128));
    panel->didLoad(
        panel->form_->title, panel->form_->subtitle, panel->form_->background,
        panel->form_->compressButton,
        {panel->outputGroup(), panel->EXPGroup(), panel->focusGroup(), panel->dryGroup()});
    return panel;
}

StatusGroup* MIV3Status::outputGroup() const {
    return form_->outputGroup;
}

StatusGroup* MIV3Status::EXPGroup() const {
    return form_->EXPGroup;
}

StatusGroup* MIV3Status::focusGroup() const {
    return form_->focusGroup;
}

StatusGroup* MIV3Status::dryGroup() const {
    return form_->dryGroup;
}

void MIV3Status::sync() {
    if (delegate() == nullptr) return;
    const std::shared_ptr<Preset> preset = delegate()->selectedPreset();
    if (!preset) return;
    const auto on = [&preset](std::string_view key) { return preset->value(key).value_or(0) != 0; };
    outputGroup()->setHighlights(itemsMask(*preset, {{"left", StatusGroup::kItem1},
                                                     {"right", StatusGroup::kItem2},
                                                     {"direct", StatusGroup::kItem3}}));
    focusGroup()->setHighlights(on("focus") ? StatusGroup::kItem1 : 0);
    EXPGroup()->setHighlights(on("exp") ? StatusGroup::kTitle | StatusGroup::kItem1 : 0);
    dryGroup()->setHighlights(itemsMask(*preset, {{"dryAttack", StatusGroup::kItem1},
                                                  {"dryLPFilter", StatusGroup::kItem2},
                                                  {"dryDetune", StatusGroup::kItem3}}));
}

}  // namespace harbrix
