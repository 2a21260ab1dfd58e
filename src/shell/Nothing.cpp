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

Nothing::Nothing(ScreenDelegate* delegate, Driver driver)
    : Screen(delegate), driver_(std::move(driver)) {
    if (!driver_.needsKext) driver_.needsKext = [] { return needsKext(); };
    if (!driver_.launchTolvaneer)
        driver_.launchTolvaneer = [] { return harbrix::launchTolvaneer(); };
}

std::unique_ptr<Nothing> Nothing::controller(ScreenDelegate* delegate, Driver driver) {
    return std::unique_ptr<Nothing>(new Nothing(delegate, std::move(driver)));
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
    openFailures_->setVisible(!lines.isEmpty());
}

void Nothing::viewDidLoad() {
    setOpenFailures(failures_);
    if (!driver_.needsKext()) {
        message_->setText(QString::fromLatin1(kNoDevices));
        return;
    }
    installButton_->show();
    message_->setFont(ui::fonts::font(ui::fonts::Weight::Regular, 16));
    message_->setText(QString::fromLatin1(kDriverMissing));
}

void Nothing::launchTolvaneer() {
    if (!installButton_) return;
    installButton_->setEnabled(false);
    // The view goes with this controller; the answer is dropped once it is gone.
    QPointer<QWidget> alive = view();
    const Driver driver = driver_;
    std::thread([alive, driver, this] {
        const bool ok = driver.needsKext() && driver.launchTolvaneer();
        rail(Rails::main(), [alive, ok, this] {
            if (alive) installerEnded(ok);
        });
    }).detach();
}

void Nothing::installerEnded(bool ok) {
    installButton_->setVisible(!ok);
    installButton_->setEnabled(true);
    message_->setFont(ui::fonts::font(ui::fonts::Weight::Medium, 22));
    message_->setText(QString::fromLatin1(kNoDevices));
}

}  // namespace harbrix
