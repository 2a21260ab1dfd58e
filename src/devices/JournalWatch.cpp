#include "devices/JournalWatch.h"

#include "link/QORUARTDevice.h"
#include "link/Rails.h"

namespace harbrix {

std::shared_ptr<JournalWatch> JournalWatch::start(const std::shared_ptr<QORUARTDevice>& device,
                                                  std::function<void()> changed) {
    if (!device || !device->queue()) return nullptr;
    auto journal = Journal::forDevice(*device);
    if (!journal) return nullptr;
    std::shared_ptr<JournalWatch> watch(new JournalWatch(std::move(journal), std::move(changed)));
    schedule(watch, device->queue(), 0);
    return watch;
}

JournalWatch::JournalWatch(std::shared_ptr<Journal> journal, std::function<void()> changed)
    : journal_(std::move(journal)), changed_(std::move(changed)) {}

// Each look is posted as the pedal's other work is, so a paused or departed pedal's queue
// holds it back or drops it; the timer holds neither the watch nor the queue.
void JournalWatch::schedule(const std::weak_ptr<JournalWatch>& watch,
                            const std::weak_ptr<SerialQueue>& queue, double delay) {
    const auto pedal = queue.lock();
    if (!pedal) return;
    pedal->after(delay, [watch, queue] {
        rail(queue.lock(), [watch, queue] {
            const auto self = watch.lock();
            if (!self) return;
            self->check();
            schedule(watch, queue, kPeriodSeconds);
        });
    });
}

void JournalWatch::check() {
    journal_->refreshIfChanged();
    const JournalTitles titles = journal_->titles();
    if (titles == seen_) return;
    seen_ = titles;
    if (changed_) changed_();
}

}  // namespace harbrix
