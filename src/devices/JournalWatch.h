// Keeps the Undo and Redo titles of a pedal's journal current for a screen, for as long as the
// watch lives. The journal is read once on the pedal's queue when the watch starts; after that
// the entries this process writes update the titles at once, and every second the watch looks
// at the file, on the pedal's queue too, and reads it again only when another process (such as
// harbrixctl) changed it. Asking for the titles touches no file and never waits for one.
#pragma once

#include <functional>
#include <memory>

#include "devices/Journal.h"

namespace harbrix {

class QORUARTDevice;
class SerialQueue;

class JournalWatch {
  public:
    // How often the file is looked at.
    static constexpr double kPeriodSeconds = 1.0;

    // `changed` hears, on the pedal's queue, that the titles are no longer what it last saw.
    // None for a pedal without a journal (no serial number) or without a queue.
    static std::shared_ptr<JournalWatch> start(const std::shared_ptr<QORUARTDevice>& device,
                                               std::function<void()> changed = {});

    JournalTitles titles() const { return journal_->titles(); }

  private:
    JournalWatch(std::shared_ptr<Journal> journal, std::function<void()> changed);
    static void schedule(const std::weak_ptr<JournalWatch>& watch,
                         const std::weak_ptr<SerialQueue>& queue, double delay);
    void check();

    std::shared_ptr<Journal> journal_;
    std::function<void()> changed_;
    JournalTitles seen_;  // on the pedal's queue only
};

}  // namespace harbrix
