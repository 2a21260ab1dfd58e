#include "platform/MainLoop.h"

#include <condition_variable>
#include <mutex>

namespace harbrix {
namespace {

struct HeadlessState {
    std::mutex mutex;
    std::condition_variable changed;
    SerialQueue::Clock::time_point due = SerialQueue::Clock::time_point::max();
    bool quitting = false;
};

HeadlessState& headless() {
    // Never destroyed: a pedal's queue may still post to the main loop while the program exits.
    static HeadlessState* state = new HeadlessState;
    return *state;
}

void wakeHeadless(SerialQueue::Clock::time_point due) {
    auto& state = headless();
    std::lock_guard lock(state.mutex);
    if (due < state.due) state.due = due;
    state.changed.notify_all();
}

}  // namespace

std::shared_ptr<SerialQueue> MainLoop::queue() {
    // Never destroyed, for the same reason as the headless state.
    static const auto* main = new std::shared_ptr<SerialQueue>(
        SerialQueue::createDrained("com.qor.wharvel.rails.main", wakeHeadless));
    return *main;
}

void MainLoop::bind(SerialQueue::Waker waker) { queue()->setWaker(std::move(waker)); }

void MainLoop::run() {
    auto& state = headless();
    auto main = queue();
    for (;;) {
        {
            std::unique_lock lock(state.mutex);
            const auto ready = [&] {
                return state.quitting || SerialQueue::Clock::now() >= state.due;
            };
            if (state.due == SerialQueue::Clock::time_point::max())
                state.changed.wait(lock, ready);
            else
                state.changed.wait_until(lock, state.due, ready);
            if (state.quitting) {
                state.quitting = false;
                return;
            }
            state.due = SerialQueue::Clock::time_point::max();
        }
        if (const auto next = main->drain()) wakeHeadless(*next);
    }
}

void MainLoop::quit() {
    auto& state = headless();
    std::lock_guard lock(state.mutex);
    state.quitting = true;
    state.changed.notify_all();
}

}  // namespace harbrix
