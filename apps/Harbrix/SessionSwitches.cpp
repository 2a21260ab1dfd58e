// The session switches.
#include "SessionSwitches.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

namespace harbrix {
namespace {

constexpr int kScreenshotPeriodMs = 3000;

void saveScreenshot(QWidget* window, const QString& folder) {
    QDir().mkpath(folder);
    // Written beside and renamed, so a viewer never reads half a file.
    const QString path = QDir(folder).filePath(QStringLiteral("harbrix.png"));
    const QString partial = path + QStringLiteral(".part.png");
    if (window->grab().save(partial, "PNG")) {
        QFile::remove(path);
        QFile::rename(partial, path);
    }
}

}  // namespace

SessionSwitches SessionSwitches::parse(const QStringList& arguments) {
    SessionSwitches switches;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--screenshot"))
            switches.screenshotFolder = arguments[++i];
        else if (arguments[i] == QStringLiteral("--quit-after")) {
            bool ok = false;
            const double seconds = arguments[++i].toDouble(&ok);
            if (ok && seconds >= 0) switches.quitAfter = seconds;
        }
    }
    return switches;
}

void SessionSwitches::apply(QWidget* window) const {
    if (!screenshotFolder.isEmpty()) {
        const QString folder = screenshotFolder;
        auto* timer = new QTimer(window);
        QObject::connect(timer, &QTimer::timeout, window,
                         [window, folder] { saveScreenshot(window, folder); });
        timer->start(kScreenshotPeriodMs);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window,
                         [window, folder] { saveScreenshot(window, folder); });
    }
    if (quitAfter)
        QTimer::singleShot(static_cast<int>(*quitAfter * 1000), window,
                           [] { QCoreApplication::quit(); });
}

}  // namespace harbrix
