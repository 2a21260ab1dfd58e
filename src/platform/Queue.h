// A first-in-first-out list that several threads share: the rails keep their pending blocks
// in these. Every operation holds the list's own lock, so a pop never sees half a push.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace harbrix {

template <typename T>
class Queue {
  public:
    // Appends at the end.
    void push(T element) {
        std::lock_guard lock(mutex_);
        elements_.push_back(std::move(element));
    }
    // Inserts at the front, ahead of everything waiting.
    void pushToFront(T element) {
        std::lock_guard lock(mutex_);
        elements_.push_front(std::move(element));
    }
    // Removes and returns the first element; none when empty.
    std::optional<T> pop() {
        std::lock_guard lock(mutex_);
        if (elements_.empty()) return std::nullopt;
        std::optional<T> first(std::move(elements_.front()));
        elements_.pop_front();
        return first;
    }
    // The first element, left in place; none when empty.
    std::optional<T> peek() const {
        std::lock_guard lock(mutex_);
        if (elements_.empty()) return std::nullopt;
        return elements_.front();
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return elements_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::deque<T> elements_;
};

}  // namespace harbrix
