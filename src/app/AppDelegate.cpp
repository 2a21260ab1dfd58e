// The controller's launch and end, and the device delegate calls, each handed on to the part
// that it concerns.
#include "app/AppDelegate.h"

#include <QApplication>

#include "app/AppUpdates.h"
#include "app/HeaderControls.h"
#include "app/Maintenance.h"
#include "app/PedalList.h"
#include "app/ScreenSwitcher.h"
#include "devices/DeviceRegistry.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "shell/QuitGuard.h"
#include "shell/Shield.h"
#include "shell/Window.h"
#include "ui/HotSpotButton.h"
#include "ui/TabOrder.h"
#include "updates/Stinger.h"

namespace harbrix {
namespace {

// The controller of this process, reached by deferred work on the main thread.
QPointer<AppDelegate>& sharedController() {
    static QPointer<AppDelegate> controller;
    return controller;
}

// Hears of firmware updates on the checkers' threads and hands them to the main thread.
class StingerRelay : public StingerDelegate {
  public:
    void stingerHasAvailableUpdate(Stinger& stinger) override {
        std::shared_ptr<Stinger> held = stinger.shared_from_this();
        rail(Rails::main(), [held] {
            if (AppDelegate* controller = AppDelegate::shared())
                controller->stingerHasAvailableUpdate(*held);
        });
    }
};

}  // namespace

AppDelegate::AppDelegate(Options options) : options_(std::move(options)) {
    if (!options_.startDevices)
        options_.startDevices = [](DeviceDelegate* delegate) {
            return DeviceRegistry::initialize(delegate);
        };
    window_ = std::make_unique<Window>();
    pedals_ = std::make_unique<PedalList>([this](std::size_t slot, bool loaded) {
        if (screens_ && screens_->editor()) screens_->editor()->selectPreset(slot, loaded);
    });
    screens_ = std::make_unique<ScreenSwitcher>(*window_, *pedals_, [this] {
        if (header_) header_->raiseOverlays();
    });
    header_ = std::make_unique<HeaderControls>(
        *window_, *pedals_, *screens_, [this](const DeviceRef& device) { choosePedal(device); });
    maintenance_ = std::make_unique<Maintenance>(*window_, *pedals_, [this] {
        if (header_) header_->closeMenu();
    });
    updates_ = std::make_unique<AppUpdates>(*window_, *screens_);
    library_ = std::make_unique<AppLibrary>(*window_, *pedals_);
}

AppDelegate::~AppDelegate() {
    // Nothing the window does while it goes may call back into a controller that is going.
    header_.reset();
    if (QORUARTDevice::delegate() == this) QORUARTDevice::setDelegate(nullptr);
    updates_.reset();
    // The screens' views live in the window; let the screens go first.
    screens_.reset();
    library_.reset();
}

AppDelegate* AppDelegate::shared() {
    return sharedController().data();
}

std::shared_ptr<StingerDelegate> AppDelegate::stingerDelegate() {
    static const std::shared_ptr<StingerDelegate> relay = std::make_shared<StingerRelay>();
    return relay;
}

void AppDelegate::applicationDidFinishLaunching() {
    sharedController() = this;
    screens_->buildTabs();
    header_->build();
    ui::setReadingOrder(window_->header());
    screens_->showNothing(Nothing::controller(options_.driver));
    ui::HotSpotButton::setHoverBlocker([] { return Shield::shieldsUp(); });
    updates_->start();
    quitGuard_ = new QuitGuard(window_.get(), [this] {
        return screens_ ? screens_->editor() : std::shared_ptr<Screen>();
    });
    window_->setCloseGuard([guard = quitGuard_] { return !guard || guard->mayClose(); });
    quitAction_ = new QAction(QStringLiteral("Quit"), window_.get());
    // Spelled out, as the File menu's are: some platforms bind no standard Quit keys.
    quitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction_->setMenuRole(QAction::QuitRole);
    connect(quitAction_, &QAction::triggered, window_.get(), &QWidget::close);
    window_->addAction(quitAction_);
    window_->show();
    screens_->focusContent();

    if (!header_->loadMenu()) return;
    launched_ = true;

    // Before any pedal: every preset read from one is kept.
    library_->open();
    if (!options_.startDevices(this)) logLine("Problem initializing QORUARTDevice");
    if (fileExists(homeDirectory() + "/Desktop/Harbrix.debug")) maintenance_->build();
}

// ---- Device delegate

DeviceRef AppDelegate::currentDevice() {
    return pedals_->current();
}

void AppDelegate::deviceIsConnected(const DeviceRef& device) {
    if (!device) return;
    logFormat("%s is connected and ready", device->name().c_str());
    if (pedals_->add(device)) {
        pedals_->setCurrent(device);
        setUpCurrentDevice(device);
        screens_->switchToFirstScreen(device);
    }
    header_->refreshSelector();
    AppUpdates::checkFirmware(device);
}

void AppDelegate::deviceHasBeenDisconnected(const DeviceRef& device) {
    if (!device) return;
    logFormat("%s has been disconnected", device->name().c_str());
    pedals_->remove(device);
    header_->showRestartNotice();
    if (device == currentDevice()) {
        // What its screens had under way with it (a question, a drag) ends now, not when
        // their views have left.
        for (const auto& screen : screens_->pedalScreens()) screen->pedalLeft();
        const auto& connected = pedals_->connected();
        const DeviceRef next = connected.empty() ? nullptr : connected.back();
        pedals_->setCurrent(next);
        if (next) {
            setUpCurrentDevice(next);
            screens_->switchToFirstScreen(next);
        } else {
            header_->showEmptyPedalboard();
            screens_->switchToNothing();
            // Nothing can reach the old pedal's screens any more; they let it go.
            screens_->makeScreens(nullptr);
        }
    }
    header_->refreshSelector();
}

void AppDelegate::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    if (!device || device != currentDevice()) return;
    if (const auto& editor = screens_->editor()) editor->reloadPreset(index);
    if (const auto& transfers = screens_->transfers()) transfers->reloadPreset(index);
    pedals_->presetRead(device, index);
}

void AppDelegate::devicesFailedToOpen(const std::vector<OpenFailure>& failures) {
    if (auto* empty = dynamic_cast<Nothing*>(screens_->nothing().get()))
        empty->setOpenFailures(failures);
}

void AppDelegate::deviceInternalStateChanged(const DeviceRef& device, const std::string& state) {
    if (device) logFormat("%s internal state: %s", device->name().c_str(), state.c_str());
}

void AppDelegate::deviceHasUpdatedSettings(const DeviceRef& device, const SettingsBlock& settings) {
    if (!device || device != currentDevice()) return;
    if (const auto& screen = screens_->settings()) screen->reloadSettings(settings);
}

std::shared_ptr<void> AppDelegate::deviceBeganFullRefresh(const DeviceRef&) {
    return nullptr;
}

void AppDelegate::deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) {}

// A connected pedal that restarts: the header says so and the pedal's screens take no clicks
// until it is back; then its slots and firmware are read again and the screens are given
// back. A pedal that does not come back is announced as disconnected.
void AppDelegate::deviceIsRestarting(const DeviceRef& device) {
    if (!device || !pedals_->isConnected(device)) return;
    logFormat("%s is restarting", device->name().c_str());
    pedals_->setRestarting(device);
    header_->showRestartNotice();
}

void AppDelegate::deviceHasRestarted(const DeviceRef& device, bool back) {
    if (!device || !pedals_->restarted(device)) return;
    header_->showRestartNotice();
    // One that did not come back is let go by discovery, and announced as disconnected.
    if (!back) return;
    logFormat("%s is back", device->name().c_str());
    PedalList::refreshPresets(device);
    AppUpdates::checkFirmware(device);
    if (device != currentDevice()) return;
    // The screens are given back as they were, with what the user had selected, staged or
    // edited; they show what changed as the pedal reports it.
    for (const auto& screen : screens_->pedalScreens()) screen->pedalRestarted();
}

void AppDelegate::stingerHasAvailableUpdate(Stinger& stinger) {
    updates_->stingerHasAvailableUpdate(stinger);
}

// ---- The current pedal

void AppDelegate::setUpCurrentDevice(const DeviceRef& device) {
    header_->showPedalboard(device);
    screens_->makeScreens(device);
    library_->attach(screens_->transfers());
    pedals_->askSelection(device);
    header_->showRestartNotice();
}

void AppDelegate::choosePedal(const DeviceRef& device) {
    pedals_->setCurrent(device);
    setUpCurrentDevice(device);
    screens_->fadeInController();
    if (const auto& editor = screens_->editor()) editor->reloadPreset(0);
    if (const auto& transfers = screens_->transfers()) transfers->reloadPreset(0);
}

}  // namespace harbrix
