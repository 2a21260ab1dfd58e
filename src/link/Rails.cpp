// Front and back lists per queue in class-level tables keyed by the queue's identity, and
// the suspension counts in a third. Entries are keyed by weak references: a queue that
// has gone can never hand its pending blocks or its count to a new queue that happens to
// be allocated at the same address.
#include "link/Rails.h"

#include <map>
#include <mutex>

#include "platform/MainLoop.h"
#include "platform/Queue.h"

namespace harbrix {
namespace {

using Block = std::function<void()>;
using PendingList = Queue<Block>;
using QueueKey = std::weak_ptr<SerialQueue>;

template <typename Value>
using QueueTable = std::map<QueueKey, Value, std::owner_less<>>;

struct Tables {
    // The back-list table's lock; posting and dropping take it for both list tables.
    std::mutex listsMutex;
    QueueTable<std::shared_ptr<PendingList>> front;
    QueueTable<std::shared_ptr<PendingList>> back;
    // The queue's own lock, held by a runner while its block runs.
    QueueTable<std::shared_ptr<std::recursive_mutex>> running;
    // The count table's lock; railsFlush holds it across railsDrop, hence recursive.
    std::recursive_mutex countsMutex;
    QueueTable<int> counts;
};

Tables& tables() {
    // Never destroyed: queue threads may still post while the program exits.
    static Tables* t = new Tables;
    return *t;
}

template <typename Value>
void forgetGoneQueues(QueueTable<Value>& table) {
    for (auto it = table.begin(); it != table.end();)
        it = it->first.expired() ? table.erase(it) : std::next(it);
}

template <typename Value>
Value& entry(QueueTable<Value>& table, const QueueRef& queue, bool& created) {
    auto it = table.find(queue);
    if (it == table.end()) {
        created = true;
        it = table.emplace(QueueKey(queue), Value{}).first;
    }
    return it->second;
}

template <typename T>
std::shared_ptr<T>& sharedEntry(QueueTable<std::shared_ptr<T>>& table, const QueueRef& queue,
                                bool& created) {
    auto& value = entry(table, queue, created);
    if (!value) value = std::make_shared<T>();
    return value;
}

void post(const QueueRef& queue, Block block, bool behind) {
    if (!queue || !block) return;
    auto& t = tables();
    std::shared_ptr<PendingList> front;
    std::shared_ptr<PendingList> back;
    std::shared_ptr<std::recursive_mutex> running;
    {
        std::lock_guard lock(t.listsMutex);
        bool created = false;
        front = sharedEntry(t.front, queue, created);
        back = sharedEntry(t.back, queue, created);
        running = sharedEntry(t.running, queue, created);
        if (created) {
            forgetGoneQueues(t.front);
            forgetGoneQueues(t.back);
            forgetGoneQueues(t.running);
        }
        (behind ? back : front)->push(std::move(block));
    }
    queue->async([front, back, running] {
        std::lock_guard lock(*running);
        auto next = front->pop();
        if (!next) next = back->pop();
        if (next && *next) (*next)();
    });
}

void resumeCounted(const QueueRef& queue, Tables& t) {
    auto it = t.counts.find(queue);
    if (it == t.counts.end()) return;
    for (int i = 0; i < it->second; ++i) queue->resume();
    it->second = 0;
}

}  // namespace

namespace Rails {

QueueRef main() {
    return MainLoop::queue();
}

QueueRef disk() {
    // Never destroyed: pedal queues may still write through it while the program exits.
    static const auto* queue = new QueueRef(railsQueue("com.qor.wharvel.rails.disk"));
    return *queue;
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
    bool created = false;
    ++entry(t.counts, queue, created);
    if (created) forgetGoneQueues(t.counts);
}

void railsResume(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    std::lock_guard lock(t.countsMutex);
    resumeCounted(queue, t);
}

void railsDrop(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    {
        std::lock_guard lock(t.listsMutex);
        t.front.erase(queue);
        t.back.erase(queue);
    }
    railsSuspend(queue);
}

void railsFlush(const QueueRef& queue) {
    if (!queue) return;
    auto& t = tables();
    std::lock_guard counts(t.countsMutex);
    railsDrop(queue);
    resumeCounted(queue, t);
}

QueueRef railsQueue(const std::string& label, QueuePriority priority) {
    if (label.empty()) return nullptr;
    // Every queue thread runs at the normal priority: an unprivileged process may not raise
    // its threads above it on Linux, and the pedals' queues wait on the line, not the CPU.
    (void)priority;
    return SerialQueue::create(label);
}

}  // namespace harbrix
