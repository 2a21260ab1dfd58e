// What stands between the wish to quit and the process ending: a firmware flash under way,
// and edits the Editor holds that the pedal has not stored. Closing the window, Quit and
// SIGTERM all end in the window's close, which asks this guard first. With neither the window
// closes (and the application quits) at once. With a flash the user is asked whether to stop
// it; stopping lets the page under way finish and the pedal be told to recover and reboot
// before the window closes. With a long operation on a pedal under way (a delete of many
// slots) the window says that Harbrix quits when it ends, and closes then. With unsaved edits the
// user is asked, preset by preset, whether to save them; a save that the pedal refuses keeps the
// window open.
//
// Every question is asked without waiting for the answer; the window is closed again once
// the answer (and the work it asks for) allows it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <set>

#include "shell/Screen.h"

namespace harbrix {

class QuitGuard : public QObject {
    Q_OBJECT
  public:
    static inline const QString kStopAndQuit = QStringLiteral("Stop and Quit");
    static inline const QString kKeepUpdating = QStringLiteral("Keep Updating");
    static inline const QString kSave = QStringLiteral("Save");
    static inline const QString kDontSave = QStringLiteral("Don't Save");

    // `editor` answers the screen that may hold unsaved edits (the current pedal's Editor).
    QuitGuard(QWidget* window, std::function<std::shared_ptr<Screen>()> editor);

    // Whether the window may close now. Otherwise it asks what stands in the way (once at a
    // time) and answers false; the window is closed again when the answer allows it.
    bool mayClose();
    bool asking() const { return question_ != nullptr; }
    // Quit was asked for while a long operation is under way: the window closes when it ends.
    bool waiting() const { return waiting_; }
    bool stopping() const { return stopping_; }

    // From now on SIGTERM closes `window` as its close box does, through its guard. The
    // signal only wakes the main thread; everything else happens there.
    static void closeOnTermination(QWidget* window);

  signals:
    // The user chose to stop the running flashes and quit.
    void stoppingFlashes();

  private:
    void askAboutFlash();
    // Asks about the first preset with unsaved edits the user has not let go; false when
    // there is none.
    bool askAboutEdits();
    void flashAnswered(const QString& answer);
    void editsAnswered(const std::weak_ptr<Screen>& editor, std::size_t slot,
                       const QString& answer);
    void closeWindow();
    void waitForOperations();

    QPointer<QWidget> window_;
    std::function<std::shared_ptr<Screen>()> editor_;
    QPointer<QWidget> question_;
    bool stopping_ = false;
    bool waiting_ = false;
    // The Editor whose save is on its way to the pedal; the window closes once it is stored.
    std::weak_ptr<Screen> saving_;
    // Presets whose edits the user chose not to save during this quit.
    std::set<std::size_t> letGo_;
};

}  // namespace harbrix
