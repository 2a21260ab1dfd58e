// The MIV3's settings screen: besides the firmware part, the pedal's global settings (MIDI
// channel, MIDI thru, MIDI keyboard, display contrast, home view, name crawl) and the
// factory reset. Each change shows at once and is written to the pedal in click order; the
// pedal is then read back, and once every write has been answered the screen shows what it
// holds, with a notice for a value it did not take.
#pragma once

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "devices/ChangeRefusal.h"
#include "settings/Settings.h"
#include "ui/Slider.h"

namespace harbrix {

class MIV3Settings : public Settings, public ui::SliderDelegate {
  public:
    static constexpr const char* kConfirmPresetReset =
        "Restoring factory presets erases every preset on the pedal. Would you like to "
        "continue?";

    static std::unique_ptr<MIV3Settings> controller(const DeviceRef& device = nullptr);

    QString className() const override { return QStringLiteral("MIV3Settings"); }
    // While writes are unanswered a report waits for them, so the values clicked in the
    // meantime do not flicker back.
    void reloadSettings(const SettingsBlock& settings) override;

    // ---- Actions
    void midiChannelButtonClicked();
    void midiThruButtonClicked();
    void midiKeyboardButtonClicked();
    // The contrast slider moved by the user to `value` (0..100).
    void slider(ui::Slider* slider, double value) override;
    void homeviewButtonClicked();
    void nameCrawlCheckboxStateChanged();
    // A reset check box was clicked (`sender`), or none: keeps "all" and the restore button
    // in step with the four boxes.
    void restoreCheckboxStateChanged(const ui::ToggleButton* sender);
    // Resets what the boxes name; a reset that erases the presets asks first.
    void restoreFactorySettings();

    // ---- Controls, once the view is loaded
    ui::ImageButton* midiChannelField() const { return midiChannelField_; }
    ui::ImageButton* midiThruField() const { return midiThruField_; }
    ui::ImageButton* midiKeyboardField() const { return midiKeyboardField_; }
    ui::Slider* contrastSlider() const { return contrastSlider_; }
    ui::Label* contrastField() const { return contrastField_; }
    ui::ImageButton* homeviewField() const { return homeviewField_; }
    ui::ToggleButton* nameCrawlCheckbox() const { return nameCrawlCheckbox_; }
    ui::ToggleButton* restorePresetsCheckbox() const { return restorePresetsCheckbox_; }
    ui::ToggleButton* restoreExpressionCheckbox() const { return restoreExpressionCheckbox_; }
    ui::ToggleButton* restoreMIDISettingsCheckbox() const { return restoreMIDISettingsCheckbox_; }
    ui::ToggleButton* restoreDisplaySettingsCheckbox() const {
        return restoreDisplaySettingsCheckbox_;
    }
    ui::ToggleButton* restoreAllCheckbox() const { return restoreAllCheckbox_; }
    ui::ImageButton* restoreButton() const { return restoreButton_; }
    // Writes and resets sent and not yet answered.
    int pendingWrites() const { return pendingWrites_; }

  protected:
    void buildControls(QWidget* view) override;
    void viewDidLoad() override;
    void showCore() override;
    void setControlsEnabled(bool enabled) override;

  private:
    explicit MIV3Settings(const DeviceRef& device);

    // One setting word: where it lives in `core`, how the pedal is told, and its name in a
    // notice ("MIDI channel").
    struct Setting {
        std::uint32_t SettingsBlock::*field;
        void (*write)(QORUARTDevice& device, std::uint32_t value);
        const char* name;
        bool flag;  // only zero or not matters
    };
    static const Setting kMidiChannel, kMidiThru, kMidiKeyboard, kContrast, kHomeview, kNameCrawl;

    // Stores the new value in `core`, shows it and posts the write.
    void change(const Setting& setting, std::uint32_t value);
    // Posts `work` to the pedal's queue behind every earlier write, then reads the settings
    // back; `answered` gets the work's result and what the pedal holds, on the main thread.
    void post(std::function<bool(QORUARTDevice&)> work,
              std::function<void(bool done, const std::optional<SettingsBlock>& held)> answered);
    // One posted write or reset has been answered; the last one shows what the pedal holds.
    void writeAnswered(const std::optional<SettingsBlock>& held);
    void resetConfirmed(std::uint32_t mask, WithoutJournal without = WithoutJournal::refuse);
    SettingsRules::ResetSelection resetSelection() const;

    int pendingWrites_ = 0;
    // Set while `core` is being shown, when the slider's own reports are not the user's.
    bool showing_ = false;
    // A report that arrived while writes were pending; shown when they are all answered.
    std::optional<SettingsBlock> deferredReport_;
    QPointer<QWidget> controls_;

    QPointer<ui::ImageButton> midiChannelField_;
    QPointer<ui::ImageButton> midiThruField_;
    QPointer<ui::ImageButton> midiKeyboardField_;
    QPointer<ui::Slider> contrastSlider_;
    QPointer<ui::Label> contrastField_;
    QPointer<ui::ImageButton> homeviewField_;
    QPointer<ui::ToggleButton> nameCrawlCheckbox_;
    QPointer<ui::ToggleButton> restorePresetsCheckbox_;
    QPointer<ui::ToggleButton> restoreExpressionCheckbox_;
    QPointer<ui::ToggleButton> restoreMIDISettingsCheckbox_;
    QPointer<ui::ToggleButton> restoreDisplaySettingsCheckbox_;
    QPointer<ui::ToggleButton> restoreAllCheckbox_;
    QPointer<ui::ImageButton> restoreButton_;
};

}  // namespace harbrix
