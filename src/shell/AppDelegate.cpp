// The controller's launch and end, the device delegate calls and the choice of the current
// pedal.
#include "shell/AppDelegate.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>

#include <unistd.h>
#include <algorithm>
#include <atomic>

#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "shell/Background.h"
#include "shell/History.h"
#include "shell/Menu.h"
#include "shell/MenuClosingEvents.h"
#include "shell/QuitGuard.h"
#include "shell/Shield.h"
#include "shell/UpdatePresenter.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/HotSpotButton.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "updates/ApplicationInfo.h"
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
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
    if (Application* application = Application::instance()) application->setMenuHost(this);
}

AppDelegate::~AppDelegate() {
    // Nothing the window does while it goes may call back into a controller that is going.
    delete menuCloser_;
    if (Application* application = Application::instance();
        application != nullptr && application->menuHost() == this)
        application->setMenuHost(nullptr);
    if (QORUARTDevice::delegate() == this) QORUARTDevice::setDelegate(nullptr);
    Stinger::setPresenter(nullptr);
    // The screens' views live in the window; let the screens go first.
    currentController_.reset();
    retired_.clear();
    nothing_.reset();
    transfers_.reset();
    editor_.reset();
    settings_.reset();
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
    bounce_ = false;
    replaceHeaderButtons();
    buildRestartNotice();
    connectCommands();

    nothing_ = Nothing::controller(this, options_.driver);
    QWidget* empty = nothing_->view();
    addScreenView(empty);
    empty->setGeometry(window_->screenArea());
    empty->show();
    currentController_ = nothing_;

    connected_.clear();
    menuCloser_ = new MenuCloser(window_.get(), [this] { closeMenu(); });
    ui::HotSpotButton::setHoverBlocker([] { return Shield::shieldsUp(); });
    updatePresenter_ = std::make_shared<UpdatePresenter>(window_.get());
    Stinger::setPresenter(updatePresenter_);
    ApplicationInfo::setBounceHandler([] {
        rail(Rails::main(), [] {
            if (AppDelegate* controller = AppDelegate::shared()) controller->bounce();
        });
    });
    quitGuard_ = new QuitGuard(window_.get(), [this] { return editor_; });
    window_->setCloseGuard([guard = quitGuard_] { return !guard || guard->mayClose(); });
    quitAction_ = new QAction(QStringLiteral("Quit"), window_.get());
    // Spelled out, as the File menu's are: some platforms bind no standard Quit keys.
    quitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction_->setMenuRole(QAction::QuitRole);
    connect(quitAction_, &QAction::triggered, window_.get(), &QWidget::close);
    window_->addAction(quitAction_);
    window_->show();
    focusContent();

    loadMenu();
    if (!menu_) return;
    launched_ = true;

    if (!options_.startDevices(this)) logLine("Problem initializing QORUARTDevice");
    refresh();
    if (fileExists(homeDirectory() + "/Desktop/Harbrix.debug")) {
        history_ = History::window();
        buildDebugMenu();
    }
}

void AppDelegate::loadMenu() {
    menu_ = Menu::menu(window_->contentView());
    if (!menu_) return;
    menu_->hide();
    // Hung from the menu button's far corner by the registration mark.
    const QRect button = menuButton_->geometry().translated(
        menuButton_->parentWidget()->mapTo(window_->contentView(), QPoint(0, 0)));
    const QSize mark = menu_->registration()->size();
    menu_->move(button.right() + 1 - menu_->width() + mark.width(), button.top() - mark.height());
    connect(menu_, &Menu::aboutChosen, this, &AppDelegate::openAbout);
    connect(menu_, &Menu::softwareChosen, this, &AppDelegate::checkForSoftwareUpdates);
    connect(menu_, &Menu::websiteChosen, this, &AppDelegate::goToWebsite);

    selector_ = new Selector(window_->contentView());
    selector_->setDelegate(this);
}

void AppDelegate::refresh() {
    static std::atomic<bool> refreshed = false;
    if (refreshed.exchange(true)) return;
    refreshTransfers();
    refreshEditor();
    refreshSettings();
}

void AppDelegate::bounce() {
    bounce_ = true;
    window_->close();
}

void AppDelegate::applicationWillTerminate() {
    if (!bounce_) return;
    const auto script = Bundle::pathForResource("bounce", "sh", "Scripts");
    if (!script) {
        logLine("the relaunch script is missing");
        return;
    }
    // The script waits for this process to end; it learns which one from the environment.
    QProcess relaunch;
    relaunch.setProgram(QStringLiteral("/bin/sh"));
    relaunch.setArguments({QString::fromStdString(*script)});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HARBRIX_PID"), QString::number(::getpid()));
    relaunch.setProcessEnvironment(environment);
    if (!relaunch.startDetached()) logLine("the relaunch script did not start");
}

// ---- Device delegate

DeviceRef AppDelegate::currentDevice() {
    std::lock_guard lock(deviceMutex_);
    return device_;
}

void AppDelegate::setCurrentDevice(const DeviceRef& device) {
    std::lock_guard lock(deviceMutex_);
    device_ = device;
}

void AppDelegate::deviceIsConnected(const DeviceRef& device) {
    if (!device) return;
    logFormat("%s is connected and ready", device->name().c_str());
    connected_.push_back(device);
    if (connected_.size() == 1) {
        setCurrentDevice(device);
        setUpCurrentDevice(device);
        if (presets(device).supportsPresetEditing())
            switchToEditor();
        else
            switchToTransfers();
    }
    refreshSelector();
    if (const auto& model = device->model())
        if (const auto checker = std::dynamic_pointer_cast<Stinger>(model->stinger()))
            checker->refresh();
}

// For each new editor of a pedal, ahead of the slot reads when it is a new connection: which
// slot the pedal has selected and whether it is loaded. The editor follows it once that slot
// has been read.
void AppDelegate::askSelection(const DeviceRef& device) {
    std::weak_ptr<QORUARTDevice> weak = device;
    rail(device->queue(), [weak] {
        const auto device = weak.lock();
        if (!device) return;
        const auto selected = presets(device).selected();
        if (!selected) return;
        const bool loaded = presets(device).isloaded();
        rail(Rails::main(), [weak, slot = *selected, loaded] {
            const auto device = weak.lock();
            if (AppDelegate* controller = AppDelegate::shared(); controller && device)
                controller->selectionRead(device, slot, loaded);
        });
    });
}

void AppDelegate::selectionRead(const DeviceRef& device, std::size_t slot, bool loaded) {
    if (std::find(connected_.begin(), connected_.end(), device) == connected_.end()) return;
    selections_[device.get()] = {slot, loaded, false};
    // The slot may have been read before the answer came.
    if (presets(device).cached(slot)) followSelection(device, slot);
}

// Each pedal's editor follows that pedal's selection once, when the slot has been read; a
// pedal that is not current follows it when it is chosen and gets its editor.
void AppDelegate::followSelection(const DeviceRef& device, std::size_t index) {
    if (device != currentDevice()) return;
    const auto selection = selections_.find(device.get());
    if (selection == selections_.end() || selection->second.followed ||
        selection->second.slot != index)
        return;
    if (editor_) editor_->selectPreset(selection->second.slot, selection->second.loaded);
    selection->second.followed = true;
}

bool AppDelegate::initialized() const {
    std::lock_guard lock(deviceMutex_);
    const auto selection = selections_.find(device_.get());
    return selection != selections_.end() && selection->second.followed;
}

void AppDelegate::deviceHasBeenDisconnected(const DeviceRef& device) {
    if (!device) return;
    logFormat("%s has been disconnected", device->name().c_str());
    connected_.erase(std::remove(connected_.begin(), connected_.end(), device), connected_.end());
    selections_.erase(device.get());
    restarting_.erase(device.get());
    showRestartNotice();
    if (device == currentDevice()) {
        // What its screens had under way with it (a question, a drag) ends now, not when
        // their views have left.
        for (const auto& screen : {transfers_, editor_, settings_})
            if (screen) screen->pedalLeft();
        const DeviceRef next = connected_.empty() ? nullptr : connected_.back();
        setCurrentDevice(next);
        if (next) {
            setUpCurrentDevice(next);
            if (presets(next).supportsPresetEditing())
                switchToEditor();
            else
                switchToTransfers();
        } else {
            showEmptyPedalboard();
            switchToNothing();
            // Nothing can reach the old pedal's screens any more; they let it go.
            transfers_.reset();
            editor_.reset();
            settings_.reset();
        }
    }
    refreshSelector();
}

void AppDelegate::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    if (!device || device != currentDevice()) return;
    if (editor_) editor_->reloadPreset(index);
    if (transfers_) transfers_->reloadPreset(index);
    followSelection(device, index);
}

void AppDelegate::devicesFailedToOpen(const std::vector<OpenFailure>& failures) {
    if (auto* empty = dynamic_cast<Nothing*>(nothing_.get())) empty->setOpenFailures(failures);
}

void AppDelegate::deviceInternalStateChanged(const DeviceRef& device, const std::string& state) {
    if (device) logFormat("%s internal state: %s", device->name().c_str(), state.c_str());
}

void AppDelegate::deviceHasUpdatedSettings(const DeviceRef& device, const SettingsBlock& settings) {
    if (device && device == currentDevice() && settings_) settings_->reloadSettings(settings);
}

std::shared_ptr<void> AppDelegate::deviceBeganFullRefresh(const DeviceRef&) {
    return nullptr;
}

void AppDelegate::deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) {}

// ---- The current pedal

void AppDelegate::setUpCurrentDevice(const DeviceRef& device) {
    pedalboard_->setImageName(pedalboardFor(device));
    ui::animation::fade(pedalboard_, true, ui::animation::kScreenFadeMs);
    ui::animation::fade(emptyPedalboard_, false, ui::animation::kScreenFadeMs);
    transfers_ = transfersFor(device);
    editor_ = editorFor(device);
    settings_ = settingsFor(device);
    // The new editor follows the pedal's selection as it is now.
    selections_.erase(device.get());
    askSelection(device);
    showRestartNotice();
}

void AppDelegate::showEmptyPedalboard() {
    ui::animation::fade(emptyPedalboard_, true, ui::animation::kScreenFadeMs);
    ui::animation::fade(pedalboard_, false, ui::animation::kScreenFadeMs);
}

void AppDelegate::refreshSelector() {
    if (!selector_) return;
    const DeviceRef current = currentDevice();
    const auto found = std::find(connected_.begin(), connected_.end(), current);
    selector_->refresh(connected_, static_cast<std::size_t>(found - connected_.begin()));
}

void AppDelegate::deviceSelected(const QString& serial) {
    closeSelector();
    if (serial.isEmpty()) return;
    const auto found = std::find_if(connected_.begin(), connected_.end(), [&](const DeviceRef& d) {
        return QString::fromStdString(d->serial()) == serial;
    });
    if (found == connected_.end()) return;
    const DeviceRef device = *found;
    setCurrentDevice(device);
    setUpCurrentDevice(device);
    fadeInController();
    if (editor_) editor_->reloadPreset(0);
    if (transfers_) transfers_->reloadPreset(0);
}

void AppDelegate::stingerHasAvailableUpdate(Stinger&) {
    if (settings_) settings_->sync();
}

}  // namespace harbrix
