// The locked lists: first-in-first-out and last-in-first-out order, and every element taken
// exactly once when several threads push and pop at the same time.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/Queue.h"
#include "platform/Stack.h"

namespace harbrix {
namespace {

TEST(Lists, QueueAndStackOrder) {
    Queue<int> queue;
    EXPECT_FALSE(queue.pop());
    EXPECT_FALSE(queue.peek());
    queue.push(1);
    queue.push(2);
    queue.pushToFront(0);
    EXPECT_EQ(queue.peek(), 0);
    EXPECT_EQ(queue.count(), 3u);
    EXPECT_EQ(queue.pop(), 0);
    EXPECT_EQ(queue.pop(), 1);
    EXPECT_EQ(queue.pop(), 2);
    EXPECT_FALSE(queue.pop());

    Stack<std::string> stack;
    EXPECT_FALSE(stack.pop());
    stack.push("older");
    stack.push("newest");
    EXPECT_EQ(stack.peek(), "newest");
    EXPECT_EQ(stack.count(), 2u);
    EXPECT_EQ(stack.pop(), "newest");
    EXPECT_EQ(stack.pop(), "older");
    EXPECT_FALSE(stack.peek());
}

template <typename List>
std::vector<int> takeConcurrently(List& list, void (List::*push)(int)) {
    constexpr int kThreads = 4;
    constexpr int kEach = 2000;
    std::vector<std::vector<int>> taken(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                (list.*push)(t * kEach + i);
                if (auto element = list.pop()) taken[t].push_back(*element);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::vector<int> all;
    for (auto& some : taken) all.insert(all.end(), some.begin(), some.end());
    while (auto element = list.pop()) all.push_back(*element);
    std::sort(all.begin(), all.end());
    return all;
}

TEST(ListsThreadingTest, EveryElementIsTakenExactlyOnce) {
    std::vector<int> expected(8000);
    for (int i = 0; i < 8000; ++i) expected[i] = i;
    Queue<int> queue;
    EXPECT_EQ(takeConcurrently(queue, &Queue<int>::push), expected);
    Queue<int> front;
    EXPECT_EQ(takeConcurrently(front, &Queue<int>::pushToFront), expected);
    Stack<int> stack;
    EXPECT_EQ(takeConcurrently(stack, &Stack<int>::push), expected);
}

}  // namespace
}  // namespace harbrix
