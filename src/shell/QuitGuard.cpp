// The quit guard and the SIGTERM wake-up.
#include "shell/QuitGuard.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <optional>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/FirmwareFlash.h"
#include "platform/Log.h"
#include "shell/LongOperation.h"
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

QuitGuard::QuitGuard(QWidget* window, std::function<std::shared_ptr<Screen>()> editor)
    : QObject(window), window_(window), editor_(std::move(editor)) {}

bool QuitGuard::mayClose() {
    if (question_ || stopping_) return false;
    if (FirmwareFlash::anyRunning()) {
        askAboutFlash();
        return false;
    }
    // A save on its way: the window closes when the pedal has taken it.
    if (saving_.lock()) return false;
    if (LongOperation::anyRunning()) {
        waitForOperations();
        return false;
    }
    return !askAboutEdits();
}

void QuitGuard::askAboutFlash() {
    QPointer<QuitGuard> self = this;
    question_ = ui::Alert::askLater(
        window_, QStringLiteral("A firmware update is running."),
        QStringLiteral("Quitting now would leave the pedal half-written. Stop the update? The "
                       "page being written finishes, then the pedal is told to recover and "
                       "restart before Harbrix quits."),
        [self](const QString& answer) {
            if (self) self->flashAnswered(answer);
        },
        {kKeepUpdating, kStopAndQuit});
}

void QuitGuard::flashAnswered(const QString& answer) {
    question_ = nullptr;
    if (answer != kStopAndQuit) return;
    stopping_ = true;
    logLine("quitting: stopping the firmware update first");
    emit stoppingFlashes();
    FirmwareFlash::stopAll();
    QPointer<QuitGuard> self = this;
    FirmwareFlash::whenNoneRunning([self] {
        if (!self) return;
        self->stopping_ = false;
        self->closeWindow();
    });
}

bool QuitGuard::askAboutEdits() {
    const std::shared_ptr<Screen> editor = editor_ ? editor_() : nullptr;
    if (!editor) return false;
    std::optional<std::size_t> slot;
    for (const std::size_t unsaved : editor->unsavedPresets()) {
        if (letGo_.count(unsaved) == 0) {
            slot = unsaved;
            break;
        }
    }
    if (!slot) return false;
    QPointer<QuitGuard> self = this;
    // Asked over the Editor: a question about a pedal that has gone goes with its screen.
    question_ = ui::Alert::askLater(
        editor->view(),
        QStringLiteral("Save the changes to %1 before quitting?").arg(presetLabel(*slot)),
        QStringLiteral("Your changes are lost if you don't save them."),
        [self, weak = std::weak_ptr<Screen>(editor), slot = *slot](const QString& answer) {
            if (self) self->editsAnswered(weak, slot, answer);
        },
        {kSave, kDontSave, ui::Alert::kCancel});
    return true;
}

void QuitGuard::editsAnswered(const std::weak_ptr<Screen>& editor, std::size_t slot,
                              const QString& answer) {
    question_ = nullptr;
    const std::shared_ptr<Screen> screen = editor.lock();
    if (!screen || (answer != kSave && answer != kDontSave)) {
        letGo_.clear();
        return;
    }
    if (answer == kDontSave) {
        letGo_.insert(slot);
        closeWindow();
        return;
    }
    QPointer<QuitGuard> self = this;
    const bool posted = screen->savePreset(slot, [self](bool saved) {
        if (!self) return;
        self->saving_.reset();
        // A refused save keeps the window open; the Editor says why.
        if (saved) {
            self->closeWindow();
        } else {
            self->letGo_.clear();
        }
    });
    if (posted) {
        saving_ = screen;
    } else {
        letGo_.clear();
    }
}

void QuitGuard::waitForOperations() {
    if (waiting_) return;
    waiting_ = true;
    logFormat("quitting once the %s ends", LongOperation::running().toUtf8().constData());
    ui::Alert::informLater(
        window_, QStringLiteral("Harbrix quits when the %1 ends.").arg(LongOperation::running()),
        QStringLiteral("The pedal is being changed; quitting now would cut that short."));
    QPointer<QuitGuard> self = this;
    LongOperation::whenNoneRunning([self] {
        if (!self) return;
        self->waiting_ = false;
        self->closeWindow();
    });
}

void QuitGuard::closeWindow() {
    if (window_) window_->close();
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
