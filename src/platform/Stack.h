// A last-in-first-out list that several threads share (the user interface keeps its view
// history in one). Every operation holds the stack's own lock.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace harbrix {

template <typename T>
class Stack {
  public:
    void push(T element) {
        std::lock_guard lock(mutex_);
        elements_.push_back(std::move(element));
    }
    // Removes and returns the newest element; none when empty.
    std::optional<T> pop() {
        std::lock_guard lock(mutex_);
        if (elements_.empty()) return std::nullopt;
        std::optional<T> newest(std::move(elements_.back()));
        elements_.pop_back();
        return newest;
    }
    // The newest element, left in place; none when empty.
    std::optional<T> peek() const {
        std::lock_guard lock(mutex_);
        if (elements_.empty()) return std::nullopt;
        return elements_.back();
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return elements_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<T> elements_;
};

}  // namespace harbrix
