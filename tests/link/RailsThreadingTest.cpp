// Posting order, suspension and dropping on the work rails, across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "link/Rails.h"
#include "platform/MainLoop.h"

namespace harbrix {
namespace {

// Records the order in which blocks ran.
class Trace {
  public:
    std::function<void()> step(std::string name) {
        return [this, name] {
            std::lock_guard lock(mutex_);
            steps_.push_back(name);
        };
    }
    std::vector<std::string> steps() const {
        std::lock_guard lock(mutex_);
        return steps_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> steps_;
};

// Holds a queue busy until released, so later posts pile up behind it.
struct Gate {
    std::promise<void> opened;
    std::shared_future<void> open = opened.get_future().share();
    std::function<void()> block() {
        auto f = open;
        return [f] { f.wait(); };
    }
    void release() { opened.set_value(); }
};

void drain(const QueueRef& queue) {
    railSync(queue, [] {});
}

// A queue this thread drains itself: once drain() returns, everything that may run has run,
// so a check that something did not run needs no waiting.
QueueRef drainedHere(const std::string& label) {
    return SerialQueue::createDrained(label, [](SerialQueue::Clock::time_point) {});
}

TEST(RailsThreadingTest, WaitingRailWorkRunsBeforeWaitingBehindWork) {
    auto queue = railsQueue("test.rails.order");
    Trace trace;
    Gate gate;
    rail(queue, gate.block());
    railBehind(queue, trace.step("D"));
    rail(queue, trace.step("A"));
    rail(queue, trace.step("B"));
    railBehind(queue, trace.step("E"));
    rail(queue, trace.step("C"));
    gate.release();
    drain(queue);
    EXPECT_EQ(trace.steps(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

TEST(RailsThreadingTest, ManyPostersEachKeepTheirOrder) {
    auto queue = railsQueue("test.rails.posters");
    constexpr int kPerThread = 200;
    std::mutex mutex;
    std::vector<std::vector<int>> seen(4);
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                auto block = [&, t, i] {
                    std::lock_guard lock(mutex);
                    seen[t].push_back(i);
                };
                if (t % 2)
                    railBehind(queue, block);
                else
                    rail(queue, block);
            }
        });
    }
    for (auto& p : posters) p.join();
    drain(queue);
    for (const auto& s : seen) {
        ASSERT_EQ(s.size(), static_cast<std::size_t>(kPerThread));
        EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
    }
}

TEST(RailsThreadingTest, SuspensionsAreAllUndoneByOneResume) {
    auto queue = drainedHere("test.rails.suspend");
    std::atomic<int> ran{0};
    railsSuspend(queue);
    railsSuspend(queue);
    rail(queue, [&] { ++ran; });
    queue->drain();
    EXPECT_EQ(ran.load(), 0);
    railsResume(queue);
    queue->drain();
    EXPECT_EQ(ran.load(), 1);
}

TEST(RailsThreadingTest, DropKeepsTheQueueSuspendedUntilFlushed) {
    auto queue = railsQueue("test.rails.drop");
    Trace trace;
    railsSuspend(queue);
    railBehind(queue, trace.step("behind, before the drop"));
    railsDrop(queue);  // suspended twice now
    rail(queue, trace.step("after the drop"));
    railsResume(queue);
    drain(queue);
    // Runners submitted before the drop still work on the lists they were given, so the
    // earlier block is not lost; the later one went to a fresh list.
    EXPECT_EQ(trace.steps(),
              (std::vector<std::string>{"behind, before the drop", "after the drop"}));

    auto dropped = drainedHere("test.rails.flush");
    std::atomic<int> ran{0};
    railsDrop(dropped);
    rail(dropped, [&] { ++ran; });
    dropped->drain();
    EXPECT_EQ(ran.load(), 0) << "a dropped queue stays suspended";
    railsFlush(dropped);
    dropped->drain();
    EXPECT_EQ(ran.load(), 1);
}

TEST(RailsThreadingTest, ResumeUndoesExactlyTheCountedSuspensions) {
    auto queue = drainedHere("test.rails.counts");
    std::atomic<int> ran{0};
    for (int i = 0; i < 3; ++i) railsSuspend(queue);
    railsResume(queue);
    queue->drain();
    railsResume(queue);  // nothing left to undo
    railsSuspend(queue);
    rail(queue, [&] { ++ran; });
    queue->drain();
    EXPECT_EQ(ran.load(), 0) << "one new suspension holds the queue";
    railsFlush(queue);
    queue->drain();
    EXPECT_EQ(ran.load(), 1);
}

TEST(RailsThreadingTest, ANewQueueNeverInheritsAGoneQueuesWork) {
    // Queues come and go with pedals; new ones are often allocated where old ones were.
    constexpr int kQueues = 20;
    std::atomic<int> stale{0};
    {
        std::vector<QueueRef> gone;
        for (int i = 0; i < kQueues; ++i) {
            // A stopped queue takes no runner, so the block stays in its list.
            gone.push_back(railsQueue("test.rails.gone"));
            gone.back()->stop();
            rail(gone.back(), [&] { ++stale; });
        }
    }
    std::vector<QueueRef> fresh;
    for (int i = 0; i < kQueues; ++i) {
        fresh.push_back(railsQueue("test.rails.new"));
        std::atomic<int> own{0};
        rail(fresh.back(), [&] { ++own; });
        drain(fresh.back());
        EXPECT_EQ(own.load(), 1) << "queue " << i;
    }
    EXPECT_EQ(stale.load(), 0);
}

TEST(RailsThreadingTest, SyncOnAnAbsentQueueDoesNothingAndOnItsOwnQueueRunsInline) {
    bool ran = false;
    railSync(nullptr, [&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_FALSE(railsQueue(""));

    auto queue = railsQueue("test.rails.inline");
    railSync(queue, [&] { railSync(queue, [&] { ran = true; }); });
    EXPECT_TRUE(ran);
}

TEST(RailsThreadingTest, MainRailRunsOnTheLoopThreadWithTimers) {
    std::thread::id loopThread;
    std::thread loop([&] {
        loopThread = std::this_thread::get_id();
        MainLoop::run();
    });
    Trace trace;
    std::atomic<bool> onLoop{false};
    const auto started = std::chrono::steady_clock::now();
    std::promise<double> fired;
    Rails::main()->after(0.05, [&] {
        fired.set_value(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    });
    rail(Rails::main(), [&] { onLoop = std::this_thread::get_id() == loopThread; });
    const double elapsed = fired.get_future().get();
    EXPECT_GE(elapsed, 0.05);
    EXPECT_TRUE(onLoop.load());
    rail(Rails::main(), [] { MainLoop::quit(); });
    loop.join();
}

}  // namespace
}  // namespace harbrix
