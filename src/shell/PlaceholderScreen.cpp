// Placeholder screens.
#include "shell/PlaceholderScreen.h"

#include <QVBoxLayout>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

constexpr std::size_t kSlots = 100;

std::size_t cachedPresets(const QORUARTDevice& device) {
    std::size_t count = 0;
    for (std::size_t slot = 0; slot < kSlots; ++slot)
        if (harbrix::presets(device).cached(slot)) ++count;
    return count;
}

}  // namespace

PlaceholderScreen::PlaceholderScreen(Kind kind, QString className, const DeviceRef& device)
    : Screen(device), kind_(kind), className_(std::move(className)) {}

QWidget* PlaceholderScreen::loadView() {
    auto* view = new QWidget;
    view->setAttribute(Qt::WA_TranslucentBackground);
    view->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(view);
    layout->setSpacing(10);
    layout->addStretch(2);
    heading_ = new ui::Label(className_, ui::fonts::Weight::Bold, 28, Qt::white, view);
    identity_ =
        new ui::Label(QString(), ui::fonts::Weight::Regular, 15, QColor(255, 255, 255, 190), view);
    state_ =
        new ui::Label(QString(), ui::fonts::Weight::Medium, 15, QColor(0xFD, 0xEE, 0x1B), view);
    for (ui::Label* label : {heading_.data(), identity_.data(), state_.data()}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label, 0, Qt::AlignHCenter);
    }
    layout->addStretch(3);
    return view;
}

void PlaceholderScreen::viewDidLoad() {
    QString identity = QStringLiteral("no pedal");
    if (const DeviceRef device = this->device()) {
        const auto& model = device->model();
        identity = QString::fromStdString(model ? model->description() : device->name()) +
                   QStringLiteral("  ·  serial ") + QString::fromStdString(device->serial());
    }
    identity_->setText(identity);
    showState();
}

void PlaceholderScreen::showState() {
    if (!state_) return;
    const DeviceRef device = this->device();
    const std::size_t presets = device ? cachedPresets(*device) : 0;
    QString text = countedText(presets, "preset") + QStringLiteral(" in the cache");
    if (!selections_.empty())
        text += QStringLiteral("  ·  slot %1 selected")
                    .arg(selections_.back().first + 1, 2, 10, QLatin1Char('0'));
    if (settings_) text += QStringLiteral("  ·  MIDI channel %1").arg(settings_->midiChannel);
    state_->setText(text);
}

void PlaceholderScreen::reloadPreset(std::size_t index) {
    reloadedPresets_.push_back(index);
    showState();
}

void PlaceholderScreen::reloadSettings(const SettingsBlock& settings) {
    settings_ = settings;
    showState();
}

void PlaceholderScreen::sync() {
    ++syncs_;
    showState();
}

void PlaceholderScreen::selectPreset(std::size_t slot, bool load) {
    selections_.emplace_back(slot, load);
    showState();
}

}  // namespace harbrix
