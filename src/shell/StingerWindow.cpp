// The update window. Its frames are given from the bottom-left corner of the content, as
// the update window has always been laid out, and turned into Qt's top-left frames here.
#include "shell/StingerWindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "shell/ReleaseNotes.h"
#include "ui/Geometry.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"

namespace harbrix {
namespace {

QRect frame(int x, int y, int width, int height) {
    return ui::geometry::flipped(QRectF(x, y, width, height), StingerWindow::kHeight).toRect();
}

// The window's sizes are in points of 1/72 inch on a 72-dpi grid, that is logical pixels.
QFont systemFont(int points, bool bold) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(points);
    font.setBold(bold);
    return font;
}

QString applicationName() {
    return QString::fromStdString(ApplicationInfo::name().value_or("Harbrix"));
}

QString subheadText(const QString& available, const QString& current) {
    return QStringLiteral(
               "%1 %2 is now available\u2014you have %3. Would you like to install it now?")
        .arg(applicationName(), available, current);
}

// Where the system's package manager owns the application's files, it installs the release.
QString packagedSubheadText(const QString& available, const QString& current) {
    return QStringLiteral(
               "%1 %2 is now available\u2014you have %3. Your system's package manager installs "
               "it.")
        .arg(applicationName(), available, current);
}

// The checker the window serves: the one that asked for it, else the application's.
std::shared_ptr<Stinger> checkerFor(const StingerWindow& window) {
    if (auto checker = window.interactionDelegate()) return checker;
    return ApplicationInfo::stinger();
}

}  // namespace

StingerWindow::StingerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Software Update"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(kWidth, kHeight);

    auto* icon = new ui::ImageView(ui::imageName(ui::images::kAppIcon), this);
    icon->setGeometry(frame(22, 286, 64, 64));
    icon->setScaling(ui::ImageView::Scaling::Stretch);

    headline_ = new QLabel(
        QStringLiteral("A new version of %1 is available!").arg(applicationName()), this);
    headline_->setFont(systemFont(13, true));
    headline_->setGeometry(frame(106, 336, 315, 17));

    subhead_ =
        new QLabel(subheadText(QStringLiteral("23.45.67"), QStringLiteral("12.34.56")), this);
    subhead_->setFont(systemFont(11, false));
    subhead_->setGeometry(frame(106, 316, 393, 14));

    auto* notesTitle = new QLabel(QStringLiteral("Release Notes:"), this);
    notesTitle->setFont(systemFont(11, true));
    notesTitle->setGeometry(frame(106, 295, 88, 14));
    notesTitle->resize(std::max(88, notesTitle->sizeHint().width()), notesTitle->height());

    const QRect border = frame(108, 53, 492, 235);
    auto* notesFrame = new QFrame(this);
    notesFrame->setFrameShape(QFrame::Box);
    notesFrame->setFrameShadow(QFrame::Plain);
    notesFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid palette(mid); }"));
    notesFrame->setGeometry(border);
    notes_ = ReleaseNotes::releaseNotesWithFont(systemFont(13, false),
                                                frame(125, 53 + 1, 475, 235 - 2), this);

    installButton_ = new QPushButton(QStringLiteral("Install and Relaunch"), this);
    installButton_->setGeometry(frame(451, 13, 155, 32));
    installButton_->setDefault(true);
    installButton_->setAutoDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setGeometry(frame(451 - 80, 13, 80, 32));
    status_ = new QLabel(this);
    status_->setFont(systemFont(11, false));
    status_->setWordWrap(true);
    status_->setGeometry(frame(22, 13, 340, 32));
    connect(installButton_, &QPushButton::clicked, this, &StingerWindow::install);
    connect(cancelButton_, &QPushButton::clicked, this, &StingerWindow::hide);
    installButton_->setFocus(Qt::OtherFocusReason);
}

StingerWindow* StingerWindow::window(QWidget* parent) {
    return new StingerWindow(parent);
}

void StingerWindow::setButtonsEnabled(bool enabled) {
    installButton_->setEnabled(enabled);
    cancelButton_->setEnabled(enabled);
}

void StingerWindow::showForUpdate(const UpdateEntry& entry) {
    if (entry.empty) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    const auto checker = checkerFor(*this);
    const bool packaged = checker && !checker->installsItself();
    subhead_->setText((packaged ? packagedSubheadText : subheadText)(
        QString::fromStdString(entry.version),
        QString::fromStdString(ApplicationInfo::versionText().value_or(""))));
    // Nothing to install here for a packaged application: one button closes the window.
    installButton_->setVisible(!packaged);
    cancelButton_->setText(packaged ? QStringLiteral("OK") : QStringLiteral("Cancel"));
    // Alone, it takes the right edge the install button leaves.
    cancelButton_->setGeometry(frame(packaged ? 451 + 155 - 80 : 451 - 80, 13, 80, 32));
    cancelButton_->setDefault(packaged);
    installButton_->setDefault(!packaged);
    subhead_->resize(subhead_->sizeHint().width(), subhead_->height());
    QStringList changes;
    for (const std::string& line : entry.changes) changes << QString::fromStdString(line);
    notes_->replaceLines(changes);
    status_->clear();
    setButtonsEnabled(true);
    show();
    raise();
    activateWindow();
    (packaged ? cancelButton_ : installButton_)->setFocus(Qt::OtherFocusReason);
}

void StingerWindow::install() {
    const auto checker = ApplicationInfo::stinger();
    if (!checker || !checker->updateAvailable() || !checker->installsItself()) return;
    setButtonsEnabled(false);
    status_->setText(QStringLiteral("Installing\u2026"));
    QPointer<StingerWindow> self = this;
    std::weak_ptr<Stinger> weak = checker;
    checker->update([self, weak](bool installed) {
        if (self) self->installEnded(installed, weak.lock());
    });
}

void StingerWindow::installEnded(bool installed, const std::shared_ptr<Stinger>& checker) {
    setButtonsEnabled(true);
    if (!installed) {
        status_->setText(QStringLiteral("The update could not be installed. %1 keeps running "
                                        "the version you have.")
                             .arg(applicationName()));
        return;
    }
    // The relaunch runs the new bundle's own script; without one, restarting is the user's.
    if (!checker || !checker->relaunchScript()) {
        status_->setText(QStringLiteral("The update is installed, but %1 cannot restart by "
                                        "itself: quit it and open it again.")
                             .arg(applicationName()));
        return;
    }
    status_->setText(QStringLiteral("The update is installed; restarting\u2026"));
    ApplicationInfo::bounce();
}

void StingerWindow::hide() {
    QWidget::hide();
}

}  // namespace harbrix
