// Serial work queues on their own thread or drained by a bound loop.
#include "platform/SerialQueue.h"

#include <pthread.h>

namespace harbrix {

struct SerialQueue::State {
    explicit State(std::string name) : label(std::move(name)) {}

    // Moves due timers into the ready list; returns the next timer's due time.
    std::optional<Clock::time_point> promoteTimers(Clock::time_point now) {
        while (!timers.empty() && timers.begin()->first <= now) {
            ready.push_back(std::move(timers.begin()->second));
            timers.erase(timers.begin());
        }
        if (timers.empty()) return std::nullopt;
        return timers.begin()->first;
    }

    bool takeReady(Block& block) {
        if (suspensions > 0 || ready.empty()) return false;
        block = std::move(ready.front());
        ready.pop_front();
        return true;
    }

    const std::string label;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Block> ready;
    std::multimap<Clock::time_point, Block> timers;
    int suspensions = 0;
    bool stopping = false;
    bool stopped = false;
    Waker waker;
    std::thread::id runner;
};

SerialQueue::SerialQueue(std::string label) : state_(std::make_shared<State>(std::move(label))) {}

std::shared_ptr<SerialQueue> SerialQueue::create(const std::string& label) {
    std::shared_ptr<SerialQueue> queue(new SerialQueue(label));
    queue->thread_ = std::thread([state = queue->state_] { work(state); });
    return queue;
}

std::shared_ptr<SerialQueue> SerialQueue::createDrained(const std::string& label, Waker waker) {
    std::shared_ptr<SerialQueue> queue(new SerialQueue(label));
    queue->state_->waker = std::move(waker);
    return queue;
}

SerialQueue::~SerialQueue() {
    stop();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        // Released from its own block: the worker ends by itself once that block returns.
        thread_.detach();
        return;
    }
    bool stopped = false;
    {
        std::lock_guard lock(state_->mutex);
        stopped = state_->stopped;
    }
    // A block that outlived the bounded wait keeps the shared state alive on its own.
    if (stopped)
        thread_.join();
    else
        thread_.detach();
}

const std::string& SerialQueue::label() const { return state_->label; }

void SerialQueue::wake(Clock::time_point due) {
    Waker waker;
    {
        std::lock_guard lock(state_->mutex);
        waker = state_->waker;
    }
    if (waker) waker(due);
}

void SerialQueue::async(Block block) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopped || state_->stopping) return;
        state_->ready.push_back(std::move(block));
    }
    state_->changed.notify_all();
    wake(Clock::now());
}

void SerialQueue::after(double seconds, Block block) {
    const auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds < 0 ? 0 : seconds));
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopped || state_->stopping) return;
        state_->timers.emplace(due, std::move(block));
    }
    state_->changed.notify_all();
    wake(due);
}

void SerialQueue::sync(const Block& block) {
    if (isCurrent()) {
        block();
        return;
    }
    struct Done {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    async([&block, done] {
        block();
        std::lock_guard lock(done->mutex);
        done->done = true;
        done->changed.notify_all();
    });
    std::unique_lock lock(done->mutex);
    // A stopped queue drops the block; do not wait for it forever.
    while (!done->done) {
        if (done->changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return done->done; })) break;
        std::lock_guard queueLock(state_->mutex);
        if (state_->stopped || state_->stopping) break;
    }
}

void SerialQueue::suspend() {
    std::lock_guard lock(state_->mutex);
    ++state_->suspensions;
}

void SerialQueue::resume() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->suspensions > 0) --state_->suspensions;
        if (state_->suspensions > 0) return;
    }
    state_->changed.notify_all();
    wake(Clock::now());
}

bool SerialQueue::isCurrent() const {
    std::lock_guard lock(state_->mutex);
    return state_->runner == std::this_thread::get_id();
}

void SerialQueue::setWaker(Waker waker) {
    {
        std::lock_guard lock(state_->mutex);
        state_->waker = std::move(waker);
    }
    wake(Clock::now());
}

std::optional<SerialQueue::Clock::time_point> SerialQueue::drain() {
    auto& s = *state_;
    std::unique_lock lock(s.mutex);
    const auto previous = s.runner;
    s.runner = std::this_thread::get_id();
    Block block;
    s.promoteTimers(Clock::now());
    while (!s.stopped && s.takeReady(block)) {
        lock.unlock();
        block();
        block = nullptr;
        lock.lock();
        s.promoteTimers(Clock::now());
    }
    s.runner = previous;
    if (s.suspensions > 0 || s.stopped) return std::nullopt;
    return s.timers.empty() ? std::nullopt : std::optional(s.timers.begin()->first);
}

void SerialQueue::work(const std::shared_ptr<State>& state) {
    auto& s = *state;
    {
        // Thread names are limited to 15 characters; the tail of a label tells queues apart.
        const std::string name = s.label.size() > 15 ? s.label.substr(s.label.size() - 15) : s.label;
        pthread_setname_np(pthread_self(), name.c_str());
    }
    std::unique_lock lock(s.mutex);
    s.runner = std::this_thread::get_id();
    for (;;) {
        const auto next = s.promoteTimers(Clock::now());
        Block block;
        if (s.takeReady(block)) {
            lock.unlock();
            block();
            block = nullptr;
            lock.lock();
            continue;
        }
        if (s.stopping) break;
        if (next && s.suspensions == 0)
            s.changed.wait_until(lock, *next);
        else
            s.changed.wait(lock);
    }
    s.stopped = true;
    s.ready.clear();
    s.timers.clear();
    s.changed.notify_all();
}

void SerialQueue::stop(std::chrono::milliseconds timeout) {
    auto& s = *state_;
    std::unique_lock lock(s.mutex);
    if (s.stopped) return;
    if (!thread_.joinable()) {
        s.stopped = true;
        s.ready.clear();
        s.timers.clear();
        return;
    }
    s.stopping = true;
    s.suspensions = 0;
    s.timers.clear();
    s.changed.notify_all();
    if (s.runner == std::this_thread::get_id()) return;
    s.changed.wait_for(lock, timeout, [&] { return s.stopped; });
}

}  // namespace harbrix
