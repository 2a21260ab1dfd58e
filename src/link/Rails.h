// The work rails: every queue used with these operations keeps a front and a back list of
// pending blocks. `rail` work always runs ahead of waiting `railBehind` work (preset
// refreshes), and blocks of one kind run in posting order.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/SerialQueue.h"

namespace harbrix {

using QueueRef = std::shared_ptr<SerialQueue>;

namespace Rails {
// The main thread's queue (bound to Qt's loop in the application, MainLoop elsewhere).
QueueRef main();
// Serial queue for file writes.
QueueRef disk();
}  // namespace Rails

void rail(const QueueRef& queue, std::function<void()> block);
void railBehind(const QueueRef& queue, std::function<void()> block);
// Runs the block on the queue and waits; nothing when the queue is absent.
void railSync(const QueueRef& queue, const std::function<void()>& block);
void railsSuspend(const QueueRef& queue);
void railsResume(const QueueRef& queue);
void railsDrop(const QueueRef& queue);
void railsFlush(const QueueRef& queue);
// A new serial queue with its own thread; empty when the label is empty.
QueueRef railsQueue(const std::string& label);

}  // namespace harbrix
