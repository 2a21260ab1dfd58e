// Serial work queues on their own thread or drained by a bound loop.
#include "platform/SerialQueue.h"

#include <pthread.h>

namespace harbrix {

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {}

std::shared_ptr<SerialQueue> SerialQueue::create(const std::string& label) {
    std::shared_ptr<SerialQueue> queue(new SerialQueue(label));
    SerialQueue* raw = queue.get();
    queue->thread_ = std::thread([raw] { raw->work(); });
    return queue;
}

std::shared_ptr<SerialQueue> SerialQueue::createDrained(const std::string& label, Waker waker) {
    std::shared_ptr<SerialQueue> queue(new SerialQueue(label));
    queue->waker_ = std::move(waker);
    return queue;
}

SerialQueue::~SerialQueue() {
    stop();
    // A queue released from its own block cannot join itself; its thread ends on its own.
    if (thread_.joinable()) thread_.detach();
}

void SerialQueue::wake(Clock::time_point due) {
    Waker waker;
    {
        std::lock_guard lock(mutex_);
        waker = waker_;
    }
    if (waker) waker(due);
}

void SerialQueue::async(Block block) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        ready_.push_back(std::move(block));
    }
    changed_.notify_all();
    wake(Clock::now());
}

void SerialQueue::after(double seconds, Block block) {
    const auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds < 0 ? 0 : seconds));
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        timers_.emplace(due, std::move(block));
    }
    changed_.notify_all();
    wake(due);
}

void SerialQueue::sync(const Block& block) {
    if (isCurrent()) {
        block();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    async([&] {
        block();
        std::lock_guard lock(doneMutex);
        done = true;
        doneChanged.notify_all();
    });
    std::unique_lock lock(doneMutex);
    // A stopped queue drops the block; do not wait for it forever.
    while (!done) {
        if (doneChanged.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) break;
        std::lock_guard queueLock(mutex_);
        if (stopped_) break;
    }
}

void SerialQueue::suspend() {
    std::lock_guard lock(mutex_);
    ++suspensions_;
}

void SerialQueue::resume() {
    {
        std::lock_guard lock(mutex_);
        if (suspensions_ > 0) --suspensions_;
        if (suspensions_ > 0) return;
    }
    changed_.notify_all();
    wake(Clock::now());
}

bool SerialQueue::isCurrent() const {
    std::lock_guard lock(mutex_);
    return runner_ == std::this_thread::get_id();
}

void SerialQueue::setWaker(Waker waker) {
    {
        std::lock_guard lock(mutex_);
        waker_ = std::move(waker);
    }
    wake(Clock::now());
}

std::optional<SerialQueue::Clock::time_point> SerialQueue::promoteTimers(Clock::time_point now) {
    while (!timers_.empty() && timers_.begin()->first <= now) {
        ready_.push_back(std::move(timers_.begin()->second));
        timers_.erase(timers_.begin());
    }
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first;
}

bool SerialQueue::takeReady(Block& block) {
    if (suspensions_ > 0 || ready_.empty()) return false;
    block = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

std::optional<SerialQueue::Clock::time_point> SerialQueue::drain() {
    std::unique_lock lock(mutex_);
    const auto previous = runner_;
    runner_ = std::this_thread::get_id();
    Block block;
    promoteTimers(Clock::now());
    while (!stopped_ && takeReady(block)) {
        lock.unlock();
        block();
        block = nullptr;
        lock.lock();
        promoteTimers(Clock::now());
    }
    runner_ = previous;
    if (suspensions_ > 0 || stopped_) return std::nullopt;
    return timers_.empty() ? std::nullopt : std::optional(timers_.begin()->first);
}

void SerialQueue::work() {
    {
        // Thread names are limited to 15 characters; the tail of a label tells queues apart.
        const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
        pthread_setname_np(pthread_self(), name.c_str());
    }
    std::unique_lock lock(mutex_);
    runner_ = std::this_thread::get_id();
    for (;;) {
        const auto next = promoteTimers(Clock::now());
        Block block;
        if (takeReady(block)) {
            lock.unlock();
            block();
            block = nullptr;
            lock.lock();
            continue;
        }
        if (stopping_) break;
        if (next && suspensions_ == 0)
            changed_.wait_until(lock, *next);
        else
            changed_.wait(lock);
    }
    stopped_ = true;
    ready_.clear();
    timers_.clear();
    changed_.notify_all();
}

void SerialQueue::stop(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (stopped_) return;
    if (!thread_.joinable()) {
        stopped_ = true;
        ready_.clear();
        timers_.clear();
        return;
    }
    stopping_ = true;
    suspensions_ = 0;
    timers_.clear();
    changed_.notify_all();
    if (runner_ == std::this_thread::get_id()) return;
    if (!changed_.wait_for(lock, timeout, [&] { return stopped_; })) return;
    lock.unlock();
    thread_.join();
}

}  // namespace harbrix
