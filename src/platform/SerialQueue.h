// A serial work queue: blocks run one at a time, in submission order. A queue either has
// its own named worker thread, or is drained by an event loop that the program binds to
// it (the main queue: Qt's loop in the application, MainLoop's headless loop in tools and
// tests). Queues can be suspended and resumed and run one-shot delayed blocks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace harbrix {

class SerialQueue {
public:
    using Block = std::function<void()>;
    using Clock = std::chrono::steady_clock;
    // Told that work is due at the given time (now, or the next timer); the loop then calls drain().
    using Waker = std::function<void(Clock::time_point due)>;

    // A queue with its own worker thread.
    static std::shared_ptr<SerialQueue> create(const std::string& label);
    // A queue drained by a loop; `waker` is called (from any thread) when work becomes due.
    static std::shared_ptr<SerialQueue> createDrained(const std::string& label, Waker waker);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const;

    void async(Block block);
    // One-shot timer: runs `block` on the queue after `seconds`.
    void after(double seconds, Block block);
    // Runs `block` on the queue and waits for it; runs it at once when already on the queue.
    void sync(const Block& block);

    void suspend();
    void resume();
    bool isCurrent() const;

    // Loop side of a drained queue: runs every block that is due and returns when the next
    // timer is due, if any.
    std::optional<Clock::time_point> drain();
    // Replaces the waker of a drained queue (binding another loop).
    void setWaker(Waker waker);

    // Ends the worker thread once the blocks already submitted have run, waiting at most
    // `timeout`; later blocks are dropped.
    void stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

private:
    // Everything the worker thread touches. The worker shares it, so a queue released from
    // one of its own blocks does not pull the state from under the running worker.
    struct State;
    explicit SerialQueue(std::string label);
    static void work(const std::shared_ptr<State>& state);
    void wake(Clock::time_point due);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace harbrix
