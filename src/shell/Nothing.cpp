// The empty state and the driver installation button.
#include "shell/Nothing.h"

#include <QVBoxLayout>

#include <thread>

#include "installer/DriverCheck.h"
#include "installer/TolvaneLauncher.h"
#include "link/Rails.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

// A word-wrapped label in a layout is otherwise given the height of one line, and the second
// line of a longer message is cut off.
void fitHeight(ui::Label* label) {
    label->setFixedHeight(label->text().isEmpty() ? 0 : label->heightForWidth(label->width()));
}

}  // namespace

Nothing::Nothing(Driver driver) : Screen(nullptr), driver_(std::move(driver)) {
    if (!driver_.needsKext) driver_.needsKext = [] { return needsKext(); };
    if (!driver_.launchTolvaneer) driver_.launchTolvaneer = [] { return runTolvane(); };
}

std::unique_ptr<Nothing> Nothing::controller(Driver driver) {
    return std::unique_ptr<Nothing>(new Nothing(std::move(driver)));
}

QWidget* Nothing::loadView() {
    auto* view = new QWidget;
    view->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(view);
    layout->setSpacing(28);
    layout->addStretch(3);
    message_ =
        new ui::Label(QString(), ui::fonts::Weight::Medium, 22, QColor(255, 255, 255, 150), view);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setFixedWidth(640);
    layout->addWidget(message_, 0, Qt::AlignHCenter);
    installButton_ = new ui::ImageButton(ui::imageName(ui::images::kNothingInstallDriver), view);
    installButton_->setFixedSize(installButton_->sizeHint());
    installButton_->setToolTip(QStringLiteral("Install Driver"));
    installButton_->hide();
    QObject::connect(installButton_, &QAbstractButton::clicked, view,
                     [this] { launchTolvaneer(); });
    layout->addWidget(installButton_, 0, Qt::AlignHCenter);
    openFailures_ =
        new ui::Label(QString(), ui::fonts::Weight::Regular, 15, QColor(255, 179, 77), view);
    openFailures_->setAlignment(Qt::AlignCenter);
    openFailures_->setWordWrap(true);
    openFailures_->setFixedWidth(640);
    openFailures_->hide();
    layout->addWidget(openFailures_, 0, Qt::AlignHCenter);
    layout->addStretch(4);
    return view;
}

void Nothing::setOpenFailures(const std::vector<OpenFailure>& failures) {
    failures_ = failures;
    if (!openFailures_) return;
    QStringList lines;
    for (const OpenFailure& failure : failures_)
        lines << QStringLiteral("A %1 was found but could not be opened: %2.")
                     .arg(QString::fromStdString(failure.name),
                          QString::fromStdString(failure.reason));
    const QString text = lines.join(QLatin1Char('\n'));
    openFailures_->setText(text);
    openFailures_->setAccessibleName(text);
    fitHeight(openFailures_);
    openFailures_->setVisible(!lines.isEmpty());
}

void Nothing::viewDidLoad() {
    setOpenFailures(failures_);
    if (!driver_.needsKext()) {
        showMessage(kNoDevices, ui::fonts::Weight::Medium, 22);
        return;
    }
    installButton_->show();
    showMessage(kDriverMissing, ui::fonts::Weight::Regular, 16);
}

void Nothing::showMessage(const char* text, ui::fonts::Weight weight, qreal pointSize) {
    message_->setFont(ui::fonts::font(weight, pointSize));
    message_->setText(QString::fromLatin1(text));
    message_->setAccessibleName(message_->text());
    fitHeight(message_);
}

void Nothing::launchTolvaneer() {
    if (!installButton_) return;
    installButton_->setEnabled(false);
    // The answer is dropped once this screen is gone.
    const auto alive = guarded(this);
    const Driver driver = driver_;
    std::thread([alive, driver] {
        const TolvaneStatus status =
            driver.needsKext() ? driver.launchTolvaneer() : TolvaneStatus::installed;
        // Whatever the installer said, the system's finder decides whether it worked.
        const bool stillNeeded = driver.needsKext();
        rail(Rails::main(), [alive, status, stillNeeded] {
            if (alive) alive->installerEnded(status, stillNeeded);
        });
    }).detach();
}

void Nothing::installerEnded(TolvaneStatus status, bool stillNeeded) {
    installButton_->setEnabled(true);
    installButton_->setVisible(stillNeeded);
    if (!stillNeeded) {
        showMessage(kNoDevices, ui::fonts::Weight::Medium, 22);
        return;
    }
    const char* why = status == TolvaneStatus::notAuthorised ? kNotAuthorised
                      : status == TolvaneStatus::refused || status == TolvaneStatus::notStarted
                          ? kInstallerRefused
                          : kInstallFailed;
    showMessage(why, ui::fonts::Weight::Regular, 16);
}

}  // namespace harbrix
