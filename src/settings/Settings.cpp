// The firmware part of the settings screen: what the pedal runs, whether the model's
// checker has a newer image, and the update with its progress.
#include "settings/Settings.h"

#include <QAccessible>

#include <algorithm>
#include <functional>

#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Log.h"
#include "ui/Colors.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "updates/Stinger.h"

namespace harbrix {
namespace {

// Rows of the firmware part, from the top of the screen.
constexpr int kHeadingY = 28;
constexpr int kIdentityY = 54;
constexpr int kFirmwareY = 90;
constexpr int kProgressY = 140;
constexpr int kGap = 8;
constexpr int kWideGap = 16;
constexpr int kNoticeHeight = 20;
constexpr int kNoticeBottom = 28;

const QColor kSecondaryText(255, 255, 255, 170);

std::shared_ptr<Stinger> firmwareChecker(const QORUARTDevice& device) {
    const auto& model = device.model();
    return model ? std::dynamic_pointer_cast<Stinger>(model->stinger()) : nullptr;
}

// Whether the checker offers an image newer than the firmware this pedal runs. The checker
// serves every pedal of the model and re-checks only now and then, so a pedal that already
// runs the release (just flashed, or another pedal of the model) is not offered it again.
bool newFirmwareFor(const QORUARTDevice& device) {
    const auto checker = firmwareChecker(device);
    if (!checker || !checker->updateAvailable()) return false;
    const auto latest = checker->latestVersion();
    return !latest || !device.model()->version().isEqualToOrBetterThan(*latest);
}

QString versionText(const DeviceRef& device) {
    return device && device->model()
               ? QString::fromStdString(device->model()->version().description())
               : QString();
}

void placeRightOf(QWidget* widget, const QWidget* left, int gap) {
    widget->move(left->geometry().right() + 1 + gap, widget->y());
}

void centreOn(QWidget* widget, const QWidget* line) {
    widget->move(widget->x(), line->y() + (line->height() - widget->height()) / 2);
}

// The screen's view: it keeps the notice along its bottom edge at any size.
class SettingsView : public QWidget {
  public:
    std::function<void()> resized;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (resized) resized();
    }
};

}  // namespace

Settings::Settings(const DeviceRef& device) : Screen(device) {}

ui::Label* Settings::sectionHeading(const QString& title, int x, int y, QWidget* parent) {
    auto* heading =
        new ui::Label(title, ui::fonts::Weight::Bold, 11, QColor(255, 255, 255, 120), parent);
    QFont font = heading->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    heading->setFont(font);
    heading->move(x, y);
    heading->sizeToFit();
    return heading;
}

QWidget* Settings::loadView() {
    auto* view = new SettingsView;
    view->setAttribute(Qt::WA_TranslucentBackground);
    sectionHeading(QStringLiteral("FIRMWARE"), kMargin, kHeadingY, view);

    firmwareVersion1_ = new ui::Label(QString(), ui::fonts::Weight::Medium, 15, Qt::white, view);
    firmwareVersion1_->move(kMargin, kIdentityY);
    firmwareSerialDivider1_ = new ui::ImageView(ui::imageName(ui::images::kSettingsDivider), view);
    firmwareSerialDivider1_->resize(firmwareSerialDivider1_->sizeHint());
    serialNumber_ = new ui::Label(QString(), ui::fonts::Weight::Regular, 15, kSecondaryText, view);
    serialNumber_->move(kMargin, kIdentityY);

    firmwareVersion2_ = new ui::Label(QString(), ui::fonts::Weight::Bold, 26, Qt::white, view);
    firmwareVersion2_->move(kMargin, kFirmwareY);
    firmwareAvailableIcon_ =
        new ui::ImageView(ui::imageName(ui::images::kSettingsFirmwareAvailable), view);
    firmwareAvailableIcon_->resize(firmwareAvailableIcon_->sizeHint());
    firmwareAvailableIcon_->setAccessibleName(QStringLiteral("New Firmware Available"));
    firmwareSerialDivider2_ = new ui::ImageView(ui::imageName(ui::images::kSettingsDivider), view);
    firmwareSerialDivider2_->resize(firmwareSerialDivider2_->sizeHint());
    firmwareAvailableBlurb_ =
        new ui::Label(QString(), ui::fonts::Weight::Regular, 14, Qt::white, view);
    firmwareAvailableBlurb_->move(kMargin, kFirmwareY);
    updateButton_ = new ui::ImageButton(
        ui::imageName(ui::images::fill(ui::images::kSettingsButton, {"update"})), view);
    updateButton_->resize(updateButton_->sizeHint());
    updateButton_->setAccessibleName(QStringLiteral("Update Firmware"));
    updateButton_->setToolTip(QStringLiteral("Update Firmware"));
    QObject::connect(updateButton_, &QAbstractButton::clicked, view, [this] { updateFirmware(); });

    firmwareUpdateProgressBar_ = new QProgressBar(view);
    firmwareUpdateProgressBar_->setRange(0, 100);
    firmwareUpdateProgressBar_->setTextVisible(false);
    firmwareUpdateProgressBar_->setFixedSize(260, 8);
    firmwareUpdateProgressBar_->setStyleSheet(
        QStringLiteral("QProgressBar { background: #0B0B0D; border: 1px solid #3A3A42;"
                       " border-radius: 4px; }"
                       "QProgressBar::chunk { background: %1; border-radius: 3px; }")
            .arg(ui::hexString(ui::rgb(ui::colors::kYellow))));
    firmwareUpdateProgress_ =
        new ui::Label(QString(), ui::fonts::Weight::Medium, 14, Qt::white, view);
    firmwareUpdateProgressBar_->hide();
    firmwareUpdateProgress_->hide();

    buildControls(view);

    notice_ = new Notice(view);
    view->resized = [this] { placeNotice(); };
    return view;
}

void Settings::viewDidLoad() {
    const DeviceRef device = this->device();
    firmwareVersion1_->setText(QStringLiteral("Firmware Version %1").arg(versionText(device)));
    firmwareVersion1_->sizeToFit();
    centreOn(firmwareSerialDivider1_, firmwareVersion1_);
    placeRightOf(firmwareSerialDivider1_, firmwareVersion1_, kGap);
    placeRightOf(serialNumber_, firmwareSerialDivider1_, kGap);
    serialNumber_->setText(QStringLiteral("Serial %1")
                               .arg(device ? QString::fromStdString(device->serial()) : QString()));
    serialNumber_->sizeToFit();
    // What the pedal last reported, so a screen made after that report does not start blank.
    if (device) core_ = device->ram().settings();
    sync();
}

void Settings::reloadSettings(const SettingsBlock& settings) {
    setCore(settings);
    sync();
}

void Settings::sync() {
    if (!isViewLoaded()) return;
    showFirmware(device());
    showCore();
}

void Settings::showFirmware(const DeviceRef& device) {
    firmwareVersion2_->setText(QStringLiteral("v%1").arg(versionText(device)));
    firmwareVersion2_->sizeToFit();
    const bool available = device && newFirmwareFor(*device);
    // A running or finished update stays on show whatever the checker says meanwhile.
    const bool shown = available || flash_ != Flash::idle;
    firmwareVersion2_->setColor(ui::rgb(shown ? ui::colors::kYellow : ui::colors::kWhite));
    QString blurb;
    if (flash_ == Flash::running)
        blurb = QString::fromLatin1(kFirmwareUpdating);
    else if (flash_ == Flash::updated)
        blurb = QString::fromLatin1(kFirmwareUpdated);
    else if (available)
        blurb = QString::fromLatin1(kFirmwareAvailable);
    firmwareAvailableBlurb_->setText(blurb);
    firmwareAvailableBlurb_->sizeToFit();
    firmwareAvailableIcon_->setVisible(shown);
    firmwareSerialDivider2_->setVisible(shown);
    updateButton_->setVisible(shown);
    updateButton_->setEnabled(flash_ == Flash::idle);
    const bool progress = flash_ != Flash::idle;
    firmwareUpdateProgressBar_->setVisible(progress);
    firmwareUpdateProgress_->setVisible(progress);
    placeFirmwareRow();
}

void Settings::placeFirmwareRow() {
    centreOn(firmwareAvailableIcon_, firmwareVersion2_);
    placeRightOf(firmwareAvailableIcon_, firmwareVersion2_, kGap);
    centreOn(firmwareSerialDivider2_, firmwareVersion2_);
    placeRightOf(firmwareSerialDivider2_, firmwareAvailableIcon_, kWideGap);
    centreOn(firmwareAvailableBlurb_, firmwareVersion2_);
    placeRightOf(firmwareAvailableBlurb_, firmwareSerialDivider2_, kWideGap);
    centreOn(updateButton_, firmwareVersion2_);
    placeRightOf(updateButton_, firmwareAvailableBlurb_, kWideGap + 4);
    firmwareUpdateProgressBar_->move(firmwareAvailableBlurb_->x(), kProgressY);
    firmwareUpdateProgress_->sizeToFit();
    centreOn(firmwareUpdateProgress_, firmwareUpdateProgressBar_);
    placeRightOf(firmwareUpdateProgress_, firmwareUpdateProgressBar_, 12);
}

void Settings::placeNotice() {
    const QWidget* view = notice_->parentWidget();
    notice_->setGeometry(kMargin, view->height() - kNoticeBottom - kNoticeHeight,
                         std::max(0, view->width() - 2 * kMargin), kNoticeHeight);
}

// ---- Firmware update

void Settings::updateFirmware() {
    if (flash_ == Flash::running) return;
    logFormat("update firmware...");
    notice_->dismiss();
    const DeviceRef device = this->device();
    if (!device) return;
    flash_ = Flash::running;
    progress_.reset();
    firmwareUpdateProgress_->setText(QString());
    firmwareUpdateProgressBar_->setValue(0);
    setControlsEnabled(false);
    sync();
    startFirmwareFlash(device);
}

void Settings::startFirmwareFlash(const DeviceRef& device) {
    std::weak_ptr<QORUARTDevice> weakDevice = device;
    const auto screen = guarded(this);
    // The image is read whole and its digest checked: on the pedal's queue, not the main
    // thread.
    rail(device->queue(), [weakDevice, screen] {
        const DeviceRef device = weakDevice.lock();
        const auto checker = device ? firmwareChecker(*device) : nullptr;
        std::optional<Bytes> image = checker ? checker->updatePayload() : std::nullopt;
        // A cached image that no longer verifies has just been deleted; fetch it again now
        // rather than at the next periodic check.
        if (!image && checker) checker->refresh();
        const bool gone = !device;
        rail(Rails::main(), [weakDevice, screen, gone, image = std::move(image)] {
            if (!screen) return;
            if (gone) return screen->firmwareUpdateEnded(FlashOutcome::gone);
            if (!image) return screen->firmwareImageMissing();
            ImageRefusal refusal = ImageRefusal::none;
            const auto flash = FirmwareFlash::start(
                weakDevice.lock(), *image,
                [screen](double percent) {
                    if (screen) screen->firmwareUpdateProgressed(percent);
                },
                [screen](FlashOutcome outcome) {
                    if (screen) screen->firmwareUpdateEnded(outcome);
                },
                &refusal);
            if (!flash)
                screen->firmwareUpdateEnded(
                    refusal != ImageRefusal::none ? FlashOutcome::refused : FlashOutcome::gone,
                    refusal);
        });
    });
}

void Settings::firmwareUpdateProgressed(double percent) {
    if (!isViewLoaded()) return;
    const auto shown = progress_.report(percent);
    if (!shown) return;
    firmwareUpdateProgress_->setText(QString::asprintf("%u%%", *shown));
    firmwareUpdateProgress_->sizeToFit();
    firmwareUpdateProgressBar_->setValue(static_cast<int>(*shown));
    const QString name = QStringLiteral("Firmware Update Progress: %1%").arg(*shown);
    firmwareUpdateProgressBar_->setAccessibleName(name);
    QAccessibleEvent event(firmwareUpdateProgressBar_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void Settings::firmwareUpdateEnded(FlashOutcome outcome, ImageRefusal refusal) {
    switch (outcome) {
        case FlashOutcome::written:
            return endFlash(true, QString());
        case FlashOutcome::failed:
            return endFlash(false, QString::fromLatin1(kFlashFailed));
        case FlashOutcome::refused:
            return endFlash(false, QStringLiteral("The new firmware cannot be flashed: %1")
                                       .arg(QString::fromStdString(refusalText(refusal))));
        default:
            return endFlash(false, QString::fromStdString(FirmwareFlash::outcomeText(outcome)));
    }
}

void Settings::pedalRestarted() {
    if (isViewLoaded() && flash_ == Flash::updated) {
        flash_ = Flash::idle;
        setControlsEnabled(true);
    }
    sync();
}

void Settings::firmwareImageMissing() {
    logFormat("update firmware: no verified image in the cache");
    endFlash(false, QString::fromLatin1(kNoFirmwareImage));
}

void Settings::endFlash(bool written, const QString& notice) {
    if (!isViewLoaded() || flash_ != Flash::running) return;
    // A pedal that took the image restarts; until it is back neither the update nor the
    // settings of the restarting pedal take clicks.
    if (!written) setControlsEnabled(true);
    flash_ = written ? Flash::updated : Flash::idle;
    if (!notice.isEmpty()) notice_->post(notice);
    sync();
}

}  // namespace harbrix
