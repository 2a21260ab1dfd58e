// The quit guard and the SIGTERM wake-up.
#include "shell/QuitGuard.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/FirmwareFlash.h"
#include "platform/Log.h"
#include "ui/Alert.h"

namespace harbrix {
namespace {

// The signal handler's end of a socket pair whose other end the main thread watches.
int terminationWriter = -1;

void terminationSignalled(int) {
    const char byte = 'T';
    [[maybe_unused]] const auto written = ::write(terminationWriter, &byte, 1);
}

QPointer<QWidget>& terminationTarget() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

QuitGuard::QuitGuard(QWidget* window) : QObject(window), window_(window) {}

bool QuitGuard::mayClose() {
    if (!FirmwareFlash::anyRunning()) return true;
    if (stopping_ || asking_) return false;
    asking_ = true;
    QPointer<QuitGuard> self = this;
    ui::Alert::askLater(
        window_, QStringLiteral("A firmware update is running."),
        QStringLiteral("Quitting now would leave the pedal half-written. Stop the update? The "
                       "page being written finishes, then the pedal is told to recover and "
                       "restart before Harbrix quits."),
        [self](const QString& answer) {
            if (self) self->answered(answer);
        },
        {kKeepUpdating, kStopAndQuit});
    return false;
}

void QuitGuard::answered(const QString& answer) {
    asking_ = false;
    if (answer != kStopAndQuit) return;
    stopping_ = true;
    logLine("quitting: stopping the firmware update first");
    emit stoppingFlashes();
    FirmwareFlash::stopAll();
    QPointer<QWidget> window = window_;
    FirmwareFlash::whenNoneRunning([window] {
        if (window) window->close();
    });
}

void QuitGuard::closeOnTermination(QWidget* window) {
    terminationTarget() = window;
    static QSocketNotifier* notifier = []() -> QSocketNotifier* {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            logLine("SIGTERM will end the process at once: no socket pair");
            return nullptr;
        }
        terminationWriter = pair[1];
        auto* watcher = new QSocketNotifier(pair[0], QSocketNotifier::Read, qApp);
        QObject::connect(watcher, &QSocketNotifier::activated, watcher, [reader = pair[0]] {
            char bytes[16];
            [[maybe_unused]] const auto drained = ::read(reader, bytes, sizeof bytes);
            logLine("SIGTERM: closing the window");
            if (QWidget* target = terminationTarget())
                target->close();
            else
                QCoreApplication::quit();
        });
        struct sigaction action {};
        action.sa_handler = terminationSignalled;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        return watcher;
    }();
    (void)notifier;
}

}  // namespace harbrix
