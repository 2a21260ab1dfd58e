// A connected pedal that restarts: the header says so and the pedal's screens take no clicks
// until it is back; then its slots and firmware are read again and the screens are given
// back. A pedal that does not come back is announced as disconnected.
#include <algorithm>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Log.h"
#include "shell/AppDelegate.h"
#include "shell/Window.h"
#include "ui/Label.h"
#include "updates/Stinger.h"

namespace harbrix {
namespace {

// Beside the pedal chooser's button, in the header.
const QRect kNoticeFrame(432, 30, 176, 20);

}  // namespace

void AppDelegate::buildRestartNotice() {
    auto* notice =
        new ui::Label(QString(), ui::fonts::Weight::Medium, 12, Qt::white, window_->header());
    notice->setObjectName(QStringLiteral("pedalRestarting"));
    notice->setGeometry(kNoticeFrame);
    notice->hide();
    restartNotice_ = notice;
}

void AppDelegate::showRestartNotice() {
    if (!restartNotice_) return;
    const DeviceRef device = currentDevice();
    const bool restarting = device && restarting_.count(device.get()) != 0;
    const QString text =
        restarting ? QStringLiteral("%1 is restarting\u2026").arg(Selector::caption(device->name()))
                   : QString();
    restartNotice_->setText(text);
    restartNotice_->setAccessibleName(text);
    restartNotice_->setVisible(restarting);
    // Nothing the user does can reach the pedal meanwhile, on whichever of its screens.
    for (const auto& screen : {transfers_, editor_, settings_})
        if (screen && screen->isViewLoaded()) screen->view()->setEnabled(!restarting);
}

void AppDelegate::deviceIsRestarting(const DeviceRef& device) {
    if (!device || std::find(connected_.begin(), connected_.end(), device) == connected_.end())
        return;
    logFormat("%s is restarting", device->name().c_str());
    restarting_.insert(device.get());
    showRestartNotice();
}

void AppDelegate::deviceHasRestarted(const DeviceRef& device, bool back) {
    if (!device || restarting_.erase(device.get()) == 0) return;
    showRestartNotice();
    // One that did not come back is let go by discovery, and announced as disconnected.
    if (!back) return;
    logFormat("%s is back", device->name().c_str());
    refreshPresetsOf(device);
    if (const auto& model = device->model())
        if (const auto checker = std::dynamic_pointer_cast<Stinger>(model->stinger()))
            checker->refresh();
    if (device != currentDevice()) return;
    // The screens are given back as they were, with what the user had selected, staged or
    // edited; they show what changed as the pedal reports it.
    for (const auto& screen : {transfers_, editor_, settings_})
        if (screen) screen->pedalRestarted();
}

void AppDelegate::refreshPresetsOf(const DeviceRef& device) {
    presets(device).setRefreshing(true);
    std::weak_ptr<QORUARTDevice> weak = device;
    presets(device).refreshAllPresets([weak](bool) {
        rail(Rails::main(), [weak] {
            if (const DeviceRef pedal = weak.lock()) presets(pedal).setRefreshing(false);
        });
    });
}

}  // namespace harbrix
