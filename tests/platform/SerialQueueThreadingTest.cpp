// Serial queues: order, timers, suspension, stopping, and release from their own blocks.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

#include "platform/SerialQueue.h"

namespace harbrix {
namespace {

TEST(SerialQueueThreadingTest, RunsBlocksAndTimersInOrderOnItsOwnThread) {
    auto queue = SerialQueue::create("test.queue.order");
    std::mutex mutex;
    std::vector<int> order;
    auto note = [&](int n) {
        return [&, n] {
            std::lock_guard lock(mutex);
            order.push_back(n);
        };
    };
    queue->after(0.04, note(3));
    queue->after(0.02, note(2));
    queue->async(note(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    queue->sync([] {});
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(SerialQueueThreadingTest, SuspendedQueueHoldsItsWorkUntilResumed) {
    auto queue = SerialQueue::create("test.queue.suspend");
    std::atomic<int> ran{0};
    queue->suspend();
    queue->async([&] { ++ran; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ran.load(), 0);
    queue->resume();
    queue->sync([] {});
    EXPECT_EQ(ran.load(), 1);
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
