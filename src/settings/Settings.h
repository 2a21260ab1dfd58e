// The settings screen shared by both pedals: the firmware version and serial number, the
// new-firmware notice from the model's firmware checker with the update button and its
// progress, and the screen's copy of the pedal's global settings (`core`). The MIV3 adds
// the controls that show and change that copy; the NAX3 shows the firmware part only.
#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QString>

#include <memory>

#include "link/FirmwareFlash.h"
#include "link/SettingsBlock.h"
#include "settings/SettingsRules.h"
#include "shell/Notice.h"
#include "shell/Screen.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {

class Stinger;

class Settings : public Screen {
  public:
    static constexpr const char* kFirmwareAvailable =
        "New firmware is available for this device. Would you like to update now?";
    static constexpr const char* kFirmwareUpdating =
        "Updating the firmware. Keep the pedal connected until it restarts.";
    static constexpr const char* kFirmwareUpdated =
        "The firmware has been updated. The pedal is restarting.";
    static constexpr const char* kFlashFailed =
        "The firmware update failed. The pedal has been told to recover; try again.";
    static constexpr const char* kNoFirmwareImage =
        "The new firmware is no longer in the update cache, so nothing was sent to the pedal. "
        "It will be downloaded again.";

    // How a firmware update ended: the shared flash's outcomes.
    using FlashOutcome = FirmwareFlash::Outcome;

    // The screen of a settings class ("MIV3Settings", "NAX3Settings"); none for another name.
    static std::unique_ptr<Settings> controller(const QString& className, const DeviceRef& device);

    Kind kind() const override { return Kind::settings; }

    const SettingsBlock& core() const { return core_; }
    void setCore(const SettingsBlock& core) { core_ = core; }
    // A settings record reported by the pedal.
    void reloadSettings(const SettingsBlock& settings) override;
    // Brings the labels and controls up to date from `core` and the firmware checker.
    void sync() override;
    // Back from the restart that ends a firmware update: the screen takes clicks again.
    void pedalRestarted() override;

    // The update button's action: flashes the checker's verified image onto the pedal.
    void updateFirmware();
    // A progress report of the running update, in percent (main thread).
    void firmwareUpdateProgressed(double percent);
    // The end of the running update (main thread); `refusal` says why a refused image was.
    void firmwareUpdateEnded(FlashOutcome outcome, ImageRefusal refusal = ImageRefusal::none);
    bool flashing() const { return flash_ == Flash::running; }

    // The views, once the view is loaded.
    ui::Label* firmwareVersion1() const { return firmwareVersion1_; }
    ui::ImageView* firmwareSerialDivider1() const { return firmwareSerialDivider1_; }
    ui::Label* serialNumber() const { return serialNumber_; }
    ui::Label* firmwareVersion2() const { return firmwareVersion2_; }
    ui::ImageView* firmwareAvailableIcon() const { return firmwareAvailableIcon_; }
    ui::Label* firmwareAvailableBlurb() const { return firmwareAvailableBlurb_; }
    ui::ImageView* firmwareSerialDivider2() const { return firmwareSerialDivider2_; }
    ui::ImageButton* updateButton() const { return updateButton_; }
    ui::Label* firmwareUpdateProgress() const { return firmwareUpdateProgress_; }
    QProgressBar* firmwareUpdateProgressBar() const { return firmwareUpdateProgressBar_; }
    Notice* notice() const { return notice_; }

  protected:
    explicit Settings(const DeviceRef& device);

    QWidget* loadView() override;
    void viewDidLoad() override;
    // The model's own controls, placed below the firmware part.
    virtual void buildControls(QWidget* /*view*/) {}
    // Shows `core` in the model's controls.
    virtual void showCore() {}
    // The model's controls take no clicks while the pedal is being flashed.
    virtual void setControlsEnabled(bool /*enabled*/) {}

    // Left edge and section headings shared by the models' layouts.
    static constexpr int kMargin = 64;
    static ui::Label* sectionHeading(const QString& title, int x, int y, QWidget* parent);

  private:
    // Where the firmware update stands; an update that failed is idle again.
    enum class Flash { idle, running, updated };

    void showFirmware(const DeviceRef& device);
    void placeFirmwareRow();
    void placeNotice();
    // The one place the screen starts a flash: reads the checker's verified image on the
    // pedal's queue and runs it as a FirmwareFlash; progress reaches firmwareUpdateProgressed
    // and the end firmwareUpdateEnded, both on the main thread.
    void startFirmwareFlash(const DeviceRef& device);
    // The checker had no verified image to flash.
    void firmwareImageMissing();
    void endFlash(bool written, const QString& notice);

    SettingsBlock core_;
    Flash flash_ = Flash::idle;
    SettingsRules::ProgressShown progress_;

    QPointer<ui::Label> firmwareVersion1_;
    QPointer<ui::ImageView> firmwareSerialDivider1_;
    QPointer<ui::Label> serialNumber_;
    QPointer<ui::Label> firmwareVersion2_;
    QPointer<ui::ImageView> firmwareAvailableIcon_;
    QPointer<ui::Label> firmwareAvailableBlurb_;
    QPointer<ui::ImageView> firmwareSerialDivider2_;
    QPointer<ui::ImageButton> updateButton_;
    QPointer<ui::Label> firmwareUpdateProgress_;
    QPointer<QProgressBar> firmwareUpdateProgressBar_;
    QPointer<Notice> notice_;
};

}  // namespace harbrix
