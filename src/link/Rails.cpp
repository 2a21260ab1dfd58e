// Front and back lists per queue, kept in class-level tables keyed by the queue.
#include "link/Rails.h"

#include <deque>
#include <map>
#include <mutex>

#include "platform/MainLoop.h"

namespace harbrix {
namespace {

// A first-in-first-out list of pending blocks with its own lock.
class PendingList {
  public:
    void push(std::function<void()> block) {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    std::function<void()> pop() {
        std::lock_guard lock(mutex_);
        if (blocks_.empty()) return nullptr;
        auto block = std::move(blocks_.front());
        blocks_.pop_front();
        return block;
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> blocks_;
};

struct QueueLists {
    std::shared_ptr<PendingList> front = std::make_shared<PendingList>();
    std::shared_ptr<PendingList> back = std::make_shared<PendingList>();
    // Held by a runner while its block runs.
    std::shared_ptr<std::recursive_mutex> running = std::make_shared<std::recursive_mutex>();
};

struct Tables {
    std::mutex listsMutex;  // the back-list table's lock; guards both list tables
    std::map<const SerialQueue*, QueueLists> lists;
    std::mutex countsMutex;
    std::map<const SerialQueue*, int> suspensions;
};

Tables& tables() {
    static Tables t;
    return t;
}

void post(const QueueRef& queue, std::function<void()> block, bool behind) {
    if (!queue || !block) return;
    auto& t = tables();
    QueueLists lists;
    {
        std::lock_guard lock(t.listsMutex);
        lists = t.lists[queue.get()];
        (behind ? lists.back : lists.front)->push(std::move(block));
    }
    queue->async([lists] {
        std::lock_guard running(*lists.running);
        auto next = lists.front->pop();
        if (!next) next = lists.back->pop();
        if (next) next();
    });
}

void resumeAll(const QueueRef& queue, Tables& t) {
    auto it = t.suspensions.find(queue.get());
    if (it == t.suspensions.end()) return;
    for (int i = 0; i < it->second; ++i) queue->resume();
    it->second = 0;
}

}  // namespace

namespace Rails {

QueueRef main() {
    return MainLoop::queue();
}

QueueRef disk() {
    static const QueueRef queue = railsQueue("com.qor.wharvel.rails.disk");
    return queue;
}

}  // namespace Rails

void rail(const QueueRef& queue, std::function<void()> block) {
    post(queue, std::move(block), false);
}

void railBehind(const QueueRef& queue, std::function<void()> block) {
    post(queue, std::move(block), true);
}

void railSync(const QueueRef& queue, const std::function<void()>& block) {
    if (queue && block) queue->sync(block);
}

void railsSuspend(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    std::lock_guard lock(t.countsMutex);
    queue->suspend();
    ++t.suspensions[queue.get()];
}

void railsResume(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    std::lock_guard lock(t.countsMutex);
    resumeAll(queue, t);
}

void railsDrop(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    {
        std::lock_guard lock(t.listsMutex);
        t.lists.erase(queue.get());
    }
    railsSuspend(queue);
}

void railsFlush(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    std::lock_guard counts(t.countsMutex);
    {
        std::lock_guard lists(t.listsMutex);
        t.lists.erase(queue.get());
    }
    resumeAll(queue, t);
    t.suspensions.erase(queue.get());
}

QueueRef railsQueue(const std::string& label) {
    if (label.empty()) return nullptr;
    return SerialQueue::create(label);
}

}  // namespace harbrix
