#include "devices/JournaledChange.h"

#include "devices/Journal.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"

namespace harbrix {

std::optional<JournaledChange> JournaledChange::begin(QORUARTDevice& device,
                                                      const std::string& operation,
                                                      const std::vector<Plan>& plan,
                                                      std::size_t* unreadable) {
    JournaledChange change;
    std::set<std::size_t> planned;
    for (const Plan& slot : plan) {
        if (!planned.insert(slot.slot).second) continue;
        const auto before = SlotContents::known(device, slot.slot);
        if (!before) {
            logFormat("%s: slot %zu could not be read before it changed", operation.c_str(),
                      slot.slot + 1);
            if (unreadable) *unreadable = slot.slot;
            return std::nullopt;
        }
        change.slots_.push_back({slot.slot, *before, slot.after});
    }
    if (change.slots_.empty()) return change;
    change.journal_ = Journal::forDevice(device);
    if (!change.journal_) {
        logFormat("%s: not journaled, the %s has no serial number", operation.c_str(),
                  device.name().c_str());
        return change;
    }
    change.number_ = change.journal_->begin(operation, change.slots_);
    return change;
}

const SlotBytes& JournaledChange::before(std::size_t slot) const {
    static const SlotBytes kNone;
    for (const SlotChange& change : slots_)
        if (change.slot == slot) return change.before;
    return kNone;
}

void JournaledChange::finish(const std::set<std::size_t>& changed,
                             const std::vector<SlotChange>& actualAfter) {
    if (!journal_ || !number_) return;
    std::set<std::size_t> kept;
    for (const std::size_t slot : changed)
        if (!mismatched_.count(slot)) kept.insert(slot);
    journal_->finish(*number_, kept, actualAfter);
}

void JournaledChange::mismatch(std::size_t slot, const SlotBytes& actual) {
    mismatched_.insert(slot);
    if (journal_) recordMismatch(*journal_, slot, before(slot), actual);
}

void JournaledChange::recordMismatch(Journal& journal, std::size_t slot, const SlotBytes& before,
                                     const SlotBytes& actual) {
    const auto number = journal.begin("Write", {{slot, before, actual}});
    if (number) journal.finish(*number, {slot});
}

}  // namespace harbrix
