// Holds a queue shut for a test: a block waits at the head of the queue until the gate is
// opened (at the latest when the gate goes), so what is posted behind it stays pending and
// the test decides what happens first. The gate keeps the queue itself alive meanwhile.
#pragma once

#include <future>

#include "link/Rails.h"

namespace harbrix::test {

class QueueGate {
  public:
    explicit QueueGate(QueueRef queue) : queue_(std::move(queue)) {
        rail(queue_, [opened = opened_] { opened.wait(); });
    }
    ~QueueGate() { open(); }
    QueueGate(const QueueGate&) = delete;
    QueueGate& operator=(const QueueGate&) = delete;

    void open() {
        if (open_) return;
        open_ = true;
        promise_.set_value();
    }

  private:
    QueueRef queue_;
    std::promise<void> promise_;
    std::shared_future<void> opened_ = promise_.get_future().share();
    bool open_ = false;
};

}  // namespace harbrix::test
