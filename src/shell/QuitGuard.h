// What stands between the wish to quit and the process ending: a firmware flash under way.
// Closing the window, Quit and SIGTERM all end in the window's close, which asks this guard
// first. Without a flash the window closes (and the application quits) at once; with one the
// user is asked whether to stop it, and stopping lets the page under way finish and the
// pedal be told to recover and reboot before the window closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace harbrix {

class QuitGuard : public QObject {
    Q_OBJECT
  public:
    static inline const QString kStopAndQuit = QStringLiteral("Stop and Quit");
    static inline const QString kKeepUpdating = QStringLiteral("Keep Updating");

    explicit QuitGuard(QWidget* window);

    // Whether the window may close now. With a flash running it asks (once at a time) and
    // answers false; when the user chooses to stop, every flash is stopped and the window is
    // closed again once the last one has ended.
    bool mayClose();
    bool asking() const { return asking_; }
    bool stopping() const { return stopping_; }

    // From now on SIGTERM closes `window` as its close box does, through its guard. The
    // signal only wakes the main thread; everything else happens there.
    static void closeOnTermination(QWidget* window);

  signals:
    // The user chose to stop the running flashes and quit.
    void stoppingFlashes();

  private:
    void answered(const QString& answer);

    QPointer<QWidget> window_;
    bool asking_ = false;
    bool stopping_ = false;
};

}  // namespace harbrix
