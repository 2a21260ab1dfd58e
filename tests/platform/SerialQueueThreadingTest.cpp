// Serial queues: order, timers, suspension, stopping, and release from their own blocks.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <vector>

#include "platform/SerialQueue.h"

namespace harbrix {
namespace {

TEST(SerialQueueThreadingTest, RunsBlocksAndTimersInOrderOnItsOwnThread) {
    auto queue = SerialQueue::create("test.queue.order");
    std::mutex mutex;
    std::condition_variable noted;
    std::vector<int> order;
    auto note = [&](int n) {
        return [&, n] {
            std::lock_guard lock(mutex);
            order.push_back(n);
            noted.notify_all();
        };
    };
    queue->after(0.04, note(3));
    queue->after(0.02, note(2));
    queue->async(note(1));
    std::unique_lock lock(mutex);
    ASSERT_TRUE(noted.wait_for(lock, std::chrono::seconds(10), [&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(SerialQueueThreadingTest, SuspendedQueueHoldsItsWorkUntilResumed) {
    // Drained here, so "nothing ran" is known once drain() returns rather than guessed after
    // a while.
    auto queue = SerialQueue::createDrained("test.queue.suspend", [](auto) {});
    std::atomic<int> ran{0};
    queue->suspend();
    queue->async([&] { ++ran; });
    queue->after(0, [&] { ++ran; });
    EXPECT_EQ(queue->drain(), std::nullopt);
    EXPECT_EQ(ran.load(), 0);
    queue->resume();
    queue->drain();
    EXPECT_EQ(ran.load(), 2);

    // A queue with its own thread holds its work the same way: a block that waits for the
    // resumption finds nothing run before it.
    auto threaded = SerialQueue::create("test.queue.suspend2");
    std::atomic<int> before{-1};
    threaded->suspend();
    threaded->async([&] { before = ran.load(); });
    ran = 0;
    threaded->resume();
    threaded->sync([] {});
    EXPECT_EQ(before.load(), 0);
}

TEST(SerialQueueThreadingTest, QueueReleasedFromItsOwnBlockEndsCleanly) {
    for (int round = 0; round < 20; ++round) {
        auto queue = SerialQueue::create("test.queue.self");
        auto owner = std::make_shared<std::shared_ptr<SerialQueue>>(queue);
        std::promise<void> handedOver;
        std::promise<void> released;
        queue->async([owner, handover = handedOver.get_future().share(), &released] {
            handover.wait();
            owner->reset();  // the last owner lets go while this block runs
            released.set_value();
        });
        queue.reset();
        handedOver.set_value();
        released.get_future().wait();
    }
}

TEST(SerialQueueThreadingTest, StopRunsWhatWasSubmittedAndDropsTheRest) {
    auto queue = SerialQueue::create("test.queue.stop");
    std::atomic<int> ran{0};
    for (int i = 0; i < 5; ++i) queue->async([&] { ++ran; });
    queue->stop();
    queue->async([&] { ran += 100; });
    queue->sync([&] { ran += 1000; });  // returns without waiting forever
    EXPECT_EQ(ran.load(), 5);
}

}  // namespace
}  // namespace harbrix
