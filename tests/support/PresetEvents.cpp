#include "support/PresetEvents.h"
#include "devices/PresetStore.h"

namespace harbrix::test {

PresetStore::RefreshCompletion RefreshOutcome::completion() {
    return [result = result_, calls = calls_](bool everySlotRead) {
        if ((*calls)++ == 0) result->set_value(everySlotRead);
    };
}

std::optional<bool> RefreshOutcome::wait(std::chrono::milliseconds timeout) {
    if (future_.wait_for(timeout) != std::future_status::ready) return std::nullopt;
    return future_.get();
}

std::map<std::size_t, int> presetAnnouncements(const RecordingDelegate& delegate,
                                               const QORUARTDevice& device) {
    MainLoopThread::settle();
    std::map<std::size_t, int> slots;
    for (const auto& call : delegate.calls())
        if (call.kind == "preset" && call.device.get() == &device) ++slots[call.index];
    return slots;
}

}  // namespace harbrix::test
