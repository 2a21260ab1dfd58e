// Command-line switches for looking at the application without a person in front of it:
//   --screenshot DIR   save the window as DIR/harbrix.png every 3 s and once more at the end
//   --quit-after S     quit after S seconds
// `make run` uses them on machines without a display, the end-to-end test to check that a
// simulated pedal connects.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace harbrix {

struct SessionSwitches {
    QString screenshotFolder;
    std::optional<double> quitAfter;

    // Unknown arguments are left for Qt; a switch without its value is ignored.
    static SessionSwitches parse(const QStringList& arguments);
    // Starts the timers they ask for, for the window's lifetime.
    void apply(QWidget* window) const;
};

}  // namespace harbrix
