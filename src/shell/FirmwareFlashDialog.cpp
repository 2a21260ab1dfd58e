// The firmware flash dialog.
#include "shell/FirmwareFlashDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "ui/Fonts.h"

namespace harbrix {
namespace {

constexpr int kWidth = 420;

void setStatus(QProgressBar* bar, int percent) {
    bar->setValue(percent);
    bar->setAccessibleName(QStringLiteral("Firmware written: %1%").arg(percent));
}

}  // namespace

FirmwareFlashDialog::FirmwareFlashDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("firmwareFlash"));
    setWindowTitle(QStringLiteral("Firmware Update"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(kWidth);

    headline_ = new QLabel(QStringLiteral("Writing the firmware into the pedal\u2026"), this);
    headline_->setFont(ui::fonts::font(ui::fonts::Weight::Bold, 13));
    headline_->setWordWrap(true);
    message_ =
        new QLabel(QStringLiteral("Keep the pedal connected until the update has finished."), this);
    message_->setFont(ui::fonts::font(ui::fonts::Weight::Regular, 11));
    message_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setFormat(QStringLiteral("%p%"));
    setStatus(bar_, 0);
    button_ = new QPushButton(QStringLiteral("Stop"), this);
    button_->setAccessibleName(QStringLiteral("Stop the firmware update"));
    connect(button_, &QPushButton::clicked, this, &FirmwareFlashDialog::buttonClicked);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 20, 24, 16);
    column->setSpacing(10);
    column->addWidget(headline_);
    column->addWidget(message_);
    column->addWidget(bar_);
    column->addWidget(button_, 0, Qt::AlignRight);
}

FirmwareFlashDialog* FirmwareFlashDialog::flash(QWidget* parent, const DeviceRef& device,
                                                const Bytes& file) {
    auto* dialog = new FirmwareFlashDialog(parent);
    QPointer<FirmwareFlashDialog> alive = dialog;
    ImageRefusal refusal = ImageRefusal::none;
    dialog->flash_ = FirmwareFlash::start(
        device, file,
        [alive](double percent) {
            if (alive) alive->showProgress(percent);
        },
        [alive](FirmwareFlash::Outcome outcome) {
            if (alive) alive->showOutcome(outcome);
        },
        &refusal);
    if (!dialog->flash_) {
        if (refusal == ImageRefusal::none) {
            dialog->showOutcome(FirmwareFlash::Outcome::gone);
        } else {
            dialog->showRefusal(refusal);
        }
    }
    dialog->open();
    return dialog;
}

bool FirmwareFlashDialog::running() const {
    return flash_ && !outcome_;
}

void FirmwareFlashDialog::showProgress(double percent) {
    const int whole = static_cast<int>(std::floor(std::clamp(percent, 0.0, 100.0)));
    percent_ = std::max(percent_, whole);
    setStatus(bar_, percent_);
}

void FirmwareFlashDialog::showOutcome(FirmwareFlash::Outcome outcome) {
    outcome_ = outcome;
    const bool written = outcome == FirmwareFlash::Outcome::written;
    headline_->setText(written ? QStringLiteral("The firmware has been updated.")
                               : QStringLiteral("The firmware was not updated."));
    message_->setText(QString::fromStdString(FirmwareFlash::outcomeText(outcome)));
    button_->setText(QStringLiteral("OK"));
    button_->setAccessibleName(QStringLiteral("OK"));
    button_->setEnabled(true);
    setAttribute(Qt::WA_DeleteOnClose);
    emit ended(outcome);
}

void FirmwareFlashDialog::showRefusal(ImageRefusal refusal) {
    outcome_ = FirmwareFlash::Outcome::refused;
    headline_->setText(QStringLiteral("The firmware was not flashed."));
    message_->setText(QString::fromStdString(refusalText(refusal)) +
                      QStringLiteral(" Nothing was sent to the pedal."));
    bar_->hide();
    button_->setText(QStringLiteral("OK"));
    button_->setAccessibleName(QStringLiteral("OK"));
    setAttribute(Qt::WA_DeleteOnClose);
}

void FirmwareFlashDialog::buttonClicked() {
    if (!running()) {
        accept();
        return;
    }
    flash_->stop();
    button_->setEnabled(false);
    message_->setText(QStringLiteral(
        "Stopping after the page being written; the pedal will be told to recover."));
}

void FirmwareFlashDialog::reject() {
    if (running()) return;
    QDialog::reject();
}

}  // namespace harbrix
