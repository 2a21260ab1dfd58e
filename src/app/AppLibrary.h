// The preset library in the window: opened once at start-up off the window's thread, then
// fed by the device layer with every preset read and every change of a pedal. A damaged file
// moved aside, or a library that cannot be opened, gets a notice; the window works on
// without a library. Each pedal's Transfers screen gets the Library panel, which a button
// and Ctrl+L open and close, and which stays open from one pedal to the next.
#pragma once

#include <QAction>
#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

#include "app/PedalList.h"
// The library's snapshot records have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "library/Library.h"
#pragma pop_macro("slots")
#include "librarypanel/LibraryPanel.h"
#include "shell/Screen.h"

namespace harbrix {

class LibraryKeeper;
class Window;

class AppLibrary : public QObject {
    Q_OBJECT
  public:
    AppLibrary(Window& window, PedalList& pedals);
    ~AppLibrary() override;

    void open(const std::string& path = Library::defaultPath());
    // Gives the pedal's Transfers screen (if any) its panel.
    void attach(const std::shared_ptr<Screen>& transfers);

    LibraryPanel* panel() const { return panel_; }
    // Ctrl+L.
    QAction* toggleAction() const { return toggle_; }

  private:
    void setOpen(bool open);

    Window& window_;
    PedalList& pedals_;
    std::shared_ptr<LibraryKeeper> keeper_;
    QPointer<LibraryPanel> panel_;
    QPointer<QAction> toggle_;
    bool open_ = false;
};

}  // namespace harbrix
