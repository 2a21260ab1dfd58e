// The main rail's loop for programs without a window toolkit (tools, tests): the thread
// that calls run() becomes the main thread of the device layer until quit().
#pragma once

#include <memory>

#include "platform/SerialQueue.h"

namespace harbrix {

class MainLoop {
public:
    // The process-wide main queue. Until a loop is bound it only collects work.
    static std::shared_ptr<SerialQueue> queue();
    // Binds the main queue to another loop (the window toolkit's); `waker` schedules drain().
    static void bind(SerialQueue::Waker waker);

    // Drains the main queue on the calling thread until quit() is called.
    static void run();
    static void quit();
};

}  // namespace harbrix
