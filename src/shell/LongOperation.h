// Work on a pedal that quitting must not cut short, such as a delete of many slots: while
// one is under way the window stays open, says that Harbrix quits when it ends, and closes
// then. Main thread only.
#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace harbrix {

class LongOperation {
  public:
    // The operation ("delete") is under way until the returned token goes.
    static std::shared_ptr<void> begin(const QString& name);
    static bool anyRunning();
    // The name of the operation begun first of those under way; empty when none is.
    static QString running();
    // Runs `done` once none is under way (later on the main thread, when one is now).
    static void whenNoneRunning(std::function<void()> done);
};

}  // namespace harbrix
