// The maintenance menu of debug mode: reboot, suspend and recover the pedal, play the MIDI
// test payload, refresh and test presets, show the transaction history and flash a firmware
// file from disk. Every command that talks to the pedal runs on its queue, in click order;
// its log lines come back on the main rail.
#include "app/Maintenance.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "app/PedalList.h"
#include "devices/PresetStore.h"
#include "link/PedalRestart.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "link/ReplyFraming.h"
#include "platform/Log.h"
#include "shell/FirmwareFlashDialog.h"
#include "shell/History.h"
#include "shell/Window.h"
#include "ui/Alert.h"

namespace harbrix {
namespace {

// The file panel's answers that go ahead.
constexpr int kPanelOK = 1;
constexpr int kPanelContinue = -1002;

// "<node> was rebooted" and the like, written on the main rail.
void logOutcome(const DeviceRef& device, bool ok, const char* success, const char* failure) {
    rail(Rails::main(), [name = device->filename(), ok, success, failure] {
        logFormat("%s %s", name.c_str(), ok ? success : failure);
    });
}

}  // namespace

Maintenance::Maintenance(Window& window, const PedalList& pedals, std::function<void()> closeMenu)
    : window_(window), pedals_(pedals), closeMenu_(std::move(closeMenu)) {}

Maintenance::~Maintenance() = default;

void Maintenance::build() {
    history_ = History::window();
    using Command = void (*)(Maintenance&, QAction*);
    // A null title is a separator.
    const std::pair<const char*, Command> commands[] = {
        {"I/O History...", [](Maintenance& app, QAction*) { app.openIOHistory(); }},
        {"MIDI Jam", [](Maintenance& app, QAction*) { app.MIDIJam(); }},
        {"Reboot", [](Maintenance& app, QAction*) { app.reboot(); }},
        {"Suspend", [](Maintenance& app, QAction*) { app.suspend(); }},
        {"Recover", [](Maintenance& app, QAction* sender) { app.recover(sender); }},
        {"Suspend and Recover",
         [](Maintenance& app, QAction* sender) { app.suspendAndRecover(sender); }},
        {nullptr, nullptr},
        {"Refresh Presets", [](Maintenance& app, QAction*) { app.refreshPresets(); }},
        {"Select Preset 1 or 2", [](Maintenance& app, QAction*) { app.selectPresetClicked(); }},
        {"Selected Preset Test", [](Maintenance& app, QAction*) { app.selectedPresetTest(); }},
        {"Flash Firmware from Disk...",
         [](Maintenance& app, QAction*) { app.flashFirmwareFromDisk(); }},
    };
    auto* menu = new QMenu(QStringLiteral("Maintenance"), &window_);
    for (const auto& [title, command] : commands) {
        if (title == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(title));
        connect(action, &QAction::triggered, this,
                [this, action, command = command] { command(*this, action); });
    }
    recoverButton_ = menu->actions().at(4);
    recoverButton_->setEnabled(false);
    // How each pedal's replies are read now: a pedal may have fallen back since it connected.
    menu->addSeparator();
    framingMenu_ = menu->addMenu(QStringLiteral("Reply Framing"));
    connect(framingMenu_, &QMenu::aboutToShow, this, &Maintenance::showFraming);
    window_.menuBar()->addMenu(menu);
    debugMenuItem_ = menu;
}

void Maintenance::showFraming() {
    framingMenu_->clear();
    for (const DeviceRef& device : pedals_.connected()) {
        const auto& line = device->line();
        QString text =
            QStringLiteral("%1: %2").arg(QString::fromStdString(device->filename()),
                                         QString::fromLatin1(framingName(line.framingNow())));
        if (line.framingNow() != line.framing())
            text += QStringLiteral(" (fell back from %1)")
                        .arg(QString::fromLatin1(framingName(line.framing())));
        framingMenu_->addAction(text)->setEnabled(false);
    }
    if (framingMenu_->isEmpty())
        framingMenu_->addAction(QStringLiteral("No pedal"))->setEnabled(false);
}

bool Maintenance::onCurrentDevice(const std::function<void(const DeviceRef&)>& work) {
    const DeviceRef device = pedals_.current();
    if (!device) return false;
    // Queued in click order behind whatever the pedal is doing; a pedal unplugged meanwhile
    // is not kept alive for it.
    std::weak_ptr<QORUARTDevice> weak = device;
    rail(device->queue(), [weak, work] {
        if (const DeviceRef pedal = weak.lock()) work(pedal);
    });
    return true;
}

void Maintenance::openIOHistory() {
    if (history_) history_->showWindow();
}

void Maintenance::MIDIJam() {
    // The payload takes a while to play: it runs on the pedal's queue, not the main thread.
    onCurrentDevice([](const DeviceRef& device) { device->control().MIDIJam(); });
}

void Maintenance::reboot() {
    // The pedal comes back at its boot speed and is brought up again before anything else is
    // sent to it.
    onCurrentDevice([](const DeviceRef& device) {
        logOutcome(device, PedalRestart(*device).reboot(), "was rebooted", "was NOT rebooted");
    });
}

void Maintenance::suspend() {
    // The suspend takes two seconds: on the pedal's queue, in order with the other commands,
    // while the window keeps answering.
    QPointer<QAction> recoverButton = recoverButton_;
    onCurrentDevice([recoverButton](const DeviceRef& device) {
        const bool ok = device->control().suspend();
        logOutcome(device, ok, "was suspended", "was NOT suspended");
        if (ok)
            rail(Rails::main(), [recoverButton] {
                if (recoverButton) recoverButton->setEnabled(true);
            });
    });
}

void Maintenance::recover(QAction* sender) {
    if (!pedals_.current()) return;
    if (sender != nullptr) sender->setEnabled(false);
    onCurrentDevice([](const DeviceRef& device) {
        logOutcome(device, device->control().recover(), "was recovered", "was NOT recovered");
    });
}

void Maintenance::suspendAndRecover(QAction* sender) {
    if (!pedals_.current()) return;
    if (sender != nullptr) sender->setEnabled(false);
    QPointer<QAction> button = sender;
    onCurrentDevice([button](const DeviceRef& device) {
        const bool suspended = device->control().suspend();
        // Written before the recovery starts.
        railSync(Rails::main(), [&] {
            logFormat("%s %s", device->filename().c_str(),
                      suspended ? "was suspended" : "was NOT suspended");
        });
        if (!suspended) {
            rail(Rails::main(), [button] {
                if (button) button->setEnabled(true);
            });
            return;
        }
        const bool recovered = device->control().recover();
        logOutcome(device, recovered, "was recovered", "was NOT recovered");
        rail(Rails::main(), [button] {
            if (button) button->setEnabled(true);
        });
    });
}

void Maintenance::refreshPresets() {
    if (const DeviceRef device = pedals_.current()) PedalList::refreshPresets(device);
}

void Maintenance::selectPresetClicked() {
    // Toggles between the first two slots.
    onCurrentDevice([](const DeviceRef& device) {
        const auto selected = presets(device).selected();
        presets(device).selectAndLoad(selected && *selected == 0 ? 1 : 0);
    });
}

void Maintenance::selectedPresetTest() {
    onCurrentDevice([](const DeviceRef& device) {
        const auto selected = presets(device).selected();
        // A pedal without the selected-preset word (a NAX3) or one that did not answer has
        // no number to report; none is made up.
        const bool loaded = selected && presets(device).isloaded();
        rail(Rails::main(), [name = device->filename(), selected, loaded] {
            if (!selected)
                logFormat("%s: the selected preset could not be read", name.c_str());
            else
                logFormat("%u:%s", unsigned{*selected}, loaded ? "loaded" : "on-deck");
        });
    });
}

void Maintenance::flashFirmwareFromDisk() {
    closeMenu_();
    if (!pedals_.current()) return;
    auto* panel = new QFileDialog(&window_, QStringLiteral("Flash Firmware"));
    panel->setObjectName(QStringLiteral("firmwarePanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFile);
    // Raw and LDR images only: the pedal's loader cannot take Intel HEX.
    panel->setNameFilter(QStringLiteral("Firmware (*.bin *.ldr *.BIN *.LDR)"));
    panel->setWindowModality(Qt::WindowModal);
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        const QStringList chosen = panel->selectedFiles();
        firmwarePanelEnded(result == QDialog::Accepted ? kPanelOK : 0,
                           chosen.isEmpty() ? QString() : chosen.front());
    });
    panel->open();
}

void Maintenance::firmwarePanelEnded(int response, const QString& path) {
    if (response != kPanelOK && response != kPanelContinue) return;
    const DeviceRef device = pedals_.current();
    if (!device || !QFileInfo(path).isFile()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::Alert::informLater(
            &window_, QStringLiteral("The firmware was not flashed."),
            QStringLiteral("%1 could not be read.").arg(QFileInfo(path).fileName()));
        return;
    }
    const QByteArray data = file.readAll();
    // The dialog checks the image (an empty file too) before anything is sent.
    FirmwareFlashDialog::flash(&window_, device, Bytes(data.begin(), data.end()));
}

}  // namespace harbrix
