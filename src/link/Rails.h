// The work rails: every queue used with these operations keeps a front and a back list of
// pending blocks. `rail` work always runs ahead of waiting `railBehind` work (preset
// refreshes), and blocks of one kind run in posting order. Each posted block runs exactly
// once, by a runner that holds the queue's own lock while it runs.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/SerialQueue.h"

namespace harbrix {

using QueueRef = std::shared_ptr<SerialQueue>;

namespace Rails {
// The main thread's queue (bound to Qt's loop in the application, MainLoop elsewhere). Its
// one-shot timers: Rails::main()->after(seconds, block).
QueueRef main();
// Serial queue for file writes.
QueueRef disk();
}  // namespace Rails

enum class QueuePriority { standard, userInteractive };

void rail(const QueueRef& queue, std::function<void()> block);
void railBehind(const QueueRef& queue, std::function<void()> block);
// Runs the block on the queue and waits; nothing when the queue is absent. Waits until the
// queue is resumed when it is suspended.
void railSync(const QueueRef& queue, const std::function<void()>& block);
// Suspends the queue and counts the suspension.
void railsSuspend(const QueueRef& queue);
// Undoes every counted suspension.
void railsResume(const QueueRef& queue);
// Forgets the queue's pending lists (runners already submitted keep the lists they were
// given; later posts get fresh ones) and suspends it.
void railsDrop(const QueueRef& queue);
// railsDrop, then undoes every counted suspension.
void railsFlush(const QueueRef& queue);
// A new serial queue with its own thread; empty when the label is empty.
QueueRef railsQueue(const std::string& label, QueuePriority priority = QueuePriority::standard);

}  // namespace harbrix
