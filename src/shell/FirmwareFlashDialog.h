// The window side of a firmware flash: a dialog over the main window with the percentage
// written so far and a Stop button, then the outcome in words ("Firmware written; the pedal
// is restarting."). A file the pedal cannot take is refused in the same dialog before
// anything is sent.
#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>
#include <optional>

#include "link/FirmwareFlash.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace harbrix {

class FirmwareFlashDialog : public QDialog {
    Q_OBJECT
  public:
    // Starts flashing `file` onto the device and shows the dialog window-modal over
    // `parent`. The dialog deletes itself when closed after the flash has ended.
    static FirmwareFlashDialog* flash(QWidget* parent, const DeviceRef& device, const Bytes& file);

    // Whether the flash still runs (false once refused or ended).
    bool running() const;
    // The highest whole percentage reported.
    int percent() const { return percent_; }
    std::optional<FirmwareFlash::Outcome> outcome() const { return outcome_; }
    const std::shared_ptr<FirmwareFlash>& job() const { return flash_; }

    QLabel* headline() const { return headline_; }
    QLabel* message() const { return message_; }
    QProgressBar* bar() const { return bar_; }
    // "Stop" while the flash runs, "OK" once it has ended.
    QPushButton* button() const { return button_; }

    // Escape and the close box do nothing while the flash runs.
    void reject() override;

  signals:
    void ended(harbrix::FirmwareFlash::Outcome outcome);

  private:
    explicit FirmwareFlashDialog(QWidget* parent);
    void showProgress(double percent);
    void showOutcome(FirmwareFlash::Outcome outcome);
    void showRefusal(ImageRefusal refusal);
    void buttonClicked();

    std::shared_ptr<FirmwareFlash> flash_;
    std::optional<FirmwareFlash::Outcome> outcome_;
    int percent_ = 0;
    QLabel* headline_ = nullptr;
    QLabel* message_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* button_ = nullptr;
};

}  // namespace harbrix
