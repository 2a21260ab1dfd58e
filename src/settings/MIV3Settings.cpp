// The MIV3's settings actions: each computes the new value from `core`, shows it and writes
// it to the pedal on the pedal's queue in click order; the factory reset, which asks first
// when it erases the presets.
#include "settings/MIV3Settings.h"

#include <array>
#include <memory>
#include <string>

#include "devices/FactoryReset.h"
#include "devices/Preset.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "shell/JournalQuestion.h"
#include "ui/Alert.h"

namespace harbrix {

using namespace SettingsRules;

const MIV3Settings::Setting MIV3Settings::kMidiChannel = {
    &SettingsBlock::midiChannel,
    [](QORUARTDevice& device, std::uint32_t value) { device.ram().setMidiChannel(value); },
    "MIDI channel", false};
const MIV3Settings::Setting MIV3Settings::kMidiThru = {
    &SettingsBlock::midiThru,
    [](QORUARTDevice& device, std::uint32_t value) { device.ram().setMidiThru(value != 0); },
    "MIDI thru setting", true};
const MIV3Settings::Setting MIV3Settings::kMidiKeyboard = {
    &SettingsBlock::midiKeyboard,
    [](QORUARTDevice& device, std::uint32_t value) { device.ram().setMidiKeyboard(value != 0); },
    "MIDI keyboard setting", true};
const MIV3Settings::Setting MIV3Settings::kContrast = {
    &SettingsBlock::displayContrast,
    [](QORUARTDevice& device, std::uint32_t value) { device.ram().setContrast(value); }, "contrast",
    false};
const MIV3Settings::Setting MIV3Settings::kHomeview = {
    &SettingsBlock::displayHomeview,
    [](QORUARTDevice& device, std::uint32_t value) { device.ram().setHomeview(value); },
    "home view", false};
const MIV3Settings::Setting MIV3Settings::kNameCrawl = {
    &SettingsBlock::displayNameCrawl,
    [](QORUARTDevice& device, std::uint32_t value) {
        device.ram().setNameCrawlEnabled(value != 0);
    },
    "name crawl setting", true};

MIV3Settings::MIV3Settings(const DeviceRef& device) : Settings(device) {}

std::unique_ptr<MIV3Settings> MIV3Settings::controller(const DeviceRef& device) {
    return std::unique_ptr<MIV3Settings>(new MIV3Settings(device));
}

void MIV3Settings::viewDidLoad() {
    Settings::viewDidLoad();
    restoreCheckboxStateChanged(nullptr);
    // The pedal reports the record back through the controller when it differs from the
    // last one it reported.
    if (const DeviceRef device = this->device()) {
        std::weak_ptr<QORUARTDevice> weak = device;
        rail(device->queue(), [weak] {
            if (const auto device = weak.lock()) device->ram().refreshSettings();
        });
    }
}

void MIV3Settings::reloadSettings(const SettingsBlock& settings) {
    if (pendingWrites_ > 0) {
        deferredReport_ = settings;
        return;
    }
    Settings::reloadSettings(settings);
}

// ---- Settings

void MIV3Settings::midiChannelButtonClicked() {
    change(kMidiChannel, nextMidiChannel(core().midiChannel));
}

void MIV3Settings::midiThruButtonClicked() {
    change(kMidiThru, toggled(core().midiThru));
}

void MIV3Settings::midiKeyboardButtonClicked() {
    change(kMidiKeyboard, toggled(core().midiKeyboard));
}

void MIV3Settings::slider(ui::Slider*, double value) {
    // Showing `core` moves the thumb; that is not the user sliding.
    if (showing_) return;
    const std::uint32_t contrast = contrastForSliderValue(value);
    // A drag reports every value it passes; only a new step is a change.
    if (contrast == core().displayContrast) return;
    change(kContrast, contrast);
}

void MIV3Settings::homeviewButtonClicked() {
    change(kHomeview, nextHomeview(core().displayHomeview));
}

void MIV3Settings::nameCrawlCheckboxStateChanged() {
    change(kNameCrawl, toggled(core().displayNameCrawl));
}

void MIV3Settings::change(const Setting& setting, std::uint32_t value) {
    if (notice()) notice()->dismiss();
    SettingsBlock changed = core();
    changed.*setting.field = value;
    setCore(changed);
    sync();
    const Setting* written = &setting;
    post(
        [written, value](QORUARTDevice& device) {
            written->write(device, value);
            return true;
        },
        [this, written, value](bool, const std::optional<SettingsBlock>& held) {
            const QString name = QString::fromLatin1(written->name);
            if (!held) {
                notice()->post(QStringLiteral("The pedal did not answer, so the new %1 may not "
                                              "have reached it.")
                                   .arg(name));
            } else {
                const std::uint32_t now = (*held).*written->field;
                const bool taken = written->flag ? (now != 0) == (value != 0) : now == value;
                if (!taken)
                    notice()->post(QStringLiteral("The pedal did not take the new %1; the screen "
                                                  "shows what it holds.")
                                       .arg(name));
            }
            writeAnswered(held);
        });
}

void MIV3Settings::post(
    std::function<bool(QORUARTDevice&)> work,
    std::function<void(bool done, const std::optional<SettingsBlock>& held)> answered) {
    const DeviceRef device = this->device();
    if (!device) return;
    ++pendingWrites_;
    std::weak_ptr<QORUARTDevice> weak = device;
    const auto alive = guarded(this);
    rail(device->queue(), [weak, alive, work, answered] {
        // A pedal gone by now is answered as one that did not answer, so the write is no
        // longer counted as pending.
        bool done = false;
        std::optional<SettingsBlock> held;
        if (const DeviceRef device = weak.lock()) {
            done = work(*device);
            // The pedal's own record, which the write may or may not have changed. Stored as
            // the last known record, so a later screen starts from it.
            held = device->ram().readSettings();
            if (held) device->ram().updateSettings(*held);
        }
        rail(Rails::main(), [alive, answered, done, held] {
            if (alive) answered(done, held);
        });
    });
}

void MIV3Settings::writeAnswered(const std::optional<SettingsBlock>& held) {
    if (pendingWrites_ > 0) --pendingWrites_;
    if (pendingWrites_ > 0) return;
    // Every write has been answered: show what the pedal holds now, the newest record first.
    const std::optional<SettingsBlock> shown = held ? held : deferredReport_;
    deferredReport_.reset();
    if (shown) Settings::reloadSettings(*shown);
}

// ---- Factory reset

SettingsRules::ResetSelection MIV3Settings::resetSelection() const {
    ResetSelection selection;
    selection.presets = restorePresetsCheckbox_->isChecked();
    selection.expression = restoreExpressionCheckbox_->isChecked();
    selection.midiSettings = restoreMIDISettingsCheckbox_->isChecked();
    selection.displaySettings = restoreDisplaySettingsCheckbox_->isChecked();
    selection.all = restoreAllCheckbox_->isChecked();
    return selection;
}

void MIV3Settings::restoreCheckboxStateChanged(const ui::ToggleButton* sender) {
    if (!restoreAllCheckbox_) return;
    const std::array<ui::ToggleButton*, 4> four = {
        restorePresetsCheckbox_, restoreExpressionCheckbox_, restoreMIDISettingsCheckbox_,
        restoreDisplaySettingsCheckbox_};
    if (sender == restoreAllCheckbox_) {
        const bool all = restoreAllCheckbox_->isChecked();
        for (ui::ToggleButton* box : four) box->setChecked(all);
        restoreButton_->setEnabled(all);
        return;
    }
    bool every = true;
    bool any = false;
    for (const ui::ToggleButton* box : four) {
        every = every && box->isChecked();
        any = any || box->isChecked();
    }
    restoreAllCheckbox_->setChecked(every);
    restoreButton_->setEnabled(any);
}

void MIV3Settings::restoreFactorySettings() {
    if (!restoreButton_) return;
    notice()->dismiss();
    const std::uint32_t mask = resetSelection().mask();
    if (mask == 0) return;
    if (!erasesPresets(mask)) {
        resetConfirmed(mask);
        return;
    }
    // Erasing every preset cannot be undone: ask, as deleting presets elsewhere does.
    const auto alive = guarded(this);
    ui::Alert::askLater(view(), QString::fromLatin1(kConfirmPresetReset), QString(),
                        [this, alive, mask](const QString& answer) {
                            if (alive && answer == ui::Alert::kYes) resetConfirmed(mask);
                        });
}

void MIV3Settings::resetConfirmed(std::uint32_t mask, WithoutJournal without) {
    for (ui::ToggleButton* box :
         {restorePresetsCheckbox_.data(), restoreExpressionCheckbox_.data(),
          restoreMIDISettingsCheckbox_.data(), restoreDisplaySettingsCheckbox_.data(),
          restoreAllCheckbox_.data()})
        box->setChecked(false);
    restoreButton_->setEnabled(false);
    // A reset of the presets is journaled with every slot's preset, so it can be undone, and
    // reads the pedal's slots back into the cache afterwards. When the journal cannot take
    // the entry, nothing is sent and the user is asked whether to reset without Undo.
    auto outcome = std::make_shared<FactoryReset::Result>();
    post(
        [mask, without, outcome](QORUARTDevice& device) {
            *outcome = FactoryReset::run(device, mask, without);
            return outcome->succeeded;
        },
        [this, mask, outcome](bool reset, const std::optional<SettingsBlock>& held) {
            const auto alive = guarded(this);
            const bool asked = JournalQuestion::ask(view(), outcome->refusal, [this, alive, mask] {
                if (alive) resetConfirmed(mask, WithoutJournal::proceed);
            });
            if (!reset && !asked) notice()->post(QString::fromStdString(outcome->message));
            writeAnswered(held);
        });
}

}  // namespace harbrix
