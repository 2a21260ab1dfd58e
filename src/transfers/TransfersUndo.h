// Edit > Undo and Redo on the Transfers screen: the pedal's journal taken back from the window.
// The two actions are named after the journal's newest entries ("Undo Swap", "Redo Move"), as
// a JournalWatch keeps them in memory: naming them touches no file on this thread. The
// window's Edit menu and its Ctrl+Z and Ctrl+Shift+Z reach them while the screen is shown, so
// the Editor keeps its own Undo. The work runs on the pedal's queue; the slots it changes are
// redrawn by the pedal's announcements, and what it could not do is one line for the screen's
// notice.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/DeviceDelegate.h"

namespace harbrix {

class JournalWatch;
class QORUARTDevice;

class TransfersUndo : public QObject {
    Q_OBJECT
  public:
    // `view` owns the actions; `notice` shows a failure.
    TransfersUndo(std::weak_ptr<QORUARTDevice> device, QWidget* view,
                  std::function<void(const std::string&)> notice);

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    // Asked with the slots an Undo or Redo would write before it runs: true lets it run now;
    // false holds it, and the guard calls `again` when it may run after all.
    using Guard =
        std::function<bool(std::vector<std::size_t> indices, std::function<void()> again)>;
    void setGuard(Guard guard) { guard_ = std::move(guard); }

    // Names and enables the actions after the journal as last read.
    void update();
    void undo() { run(true); }
    void redo() { run(false); }
    bool busy() const { return busy_; }

  private:
    void run(bool undoing);

    std::weak_ptr<QORUARTDevice> device_;
    std::shared_ptr<JournalWatch> watch_;
    std::function<void(const std::string&)> notice_;
    Guard guard_;
    QPointer<QAction> undo_;
    QPointer<QAction> redo_;
    bool busy_ = false;
};

}  // namespace harbrix
