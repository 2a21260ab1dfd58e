// Waiting for what a preset refresh reports: its completion, caught once, and the slots the
// delegate heard about for one device.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <future>
#include <map>
#include <memory>
#include <optional>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "support/DeviceEvents.h"

namespace harbrix::test {

class RefreshOutcome {
  public:
    // Hands the result to this object; a second call is counted, not stored.
    PresetStore::RefreshCompletion completion();
    // The result, once the completion has run; none on time-out.
    std::optional<bool> wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    int calls() const { return *calls_; }

  private:
    std::shared_ptr<std::promise<bool>> result_ = std::make_shared<std::promise<bool>>();
    std::shared_future<bool> future_ = result_->get_future().share();
    std::shared_ptr<std::atomic<int>> calls_ = std::make_shared<std::atomic<int>>(0);
};

// How often each slot of `device` was announced, after the main rail has run what is posted.
std::map<std::size_t, int> presetAnnouncements(const RecordingDelegate& delegate,
                                               const QORUARTDevice& device);

}  // namespace harbrix::test
