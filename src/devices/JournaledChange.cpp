#include "devices/JournaledChange.h"

#include "devices/Journal.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"

namespace harbrix {

std::optional<JournaledChange> JournaledChange::begin(QORUARTDevice& device,
                                                      const std::string& operation,
                                                      const std::vector<Plan>& plan,
                                                      ChangeRefusal* refusal,
                                                      WithoutJournal without) {
    auto refuse = [&](ChangeRefusal why) {
        logFormat("%s: nothing sent: %s", operation.c_str(), why.message().c_str());
        if (refusal) *refusal = std::move(why);
        return std::nullopt;
    };
    JournaledChange change;
    std::set<std::size_t> planned;
    std::vector<std::size_t> changedOnPedal;
    bool onlyEmpty = true;
    // One question for every slot's occupancy saves the reads of the empty ones: worth it
    // where the cache expects more than one (a factory reset of a pedal with few presets).
    std::size_t emptyExpected = 0;
    for (const Plan& slot : plan) {
        const auto cached = presets(device).cached(slot.slot);
        emptyExpected += !cached || cached->empty();
    }
    const auto state = emptyExpected > 1 ? device.bringUp().readDeviceState() : std::nullopt;
    for (const Plan& slot : plan) {
        if (!planned.insert(slot.slot).second) continue;
        // A read that finds other bytes replaces the cached object; the same bytes keep it.
        const auto shown = presets(device).cached(slot.slot);
        std::optional<SlotBytes> held;
        if (state && !state->isOccupied(static_cast<unsigned>(slot.slot))) {
            SlotContents::setEmpty(device, slot.slot);
            held = SlotBytes{};
        } else {
            held = SlotContents::read(device, slot.slot);
        }
        if (!held) return refuse({ChangeRefusal::Reason::unreadable, {slot.slot}, {}, {}});
        if (shown && presets(device).cached(slot.slot) != shown)
            changedOnPedal.push_back(slot.slot);
        onlyEmpty = onlyEmpty && held->empty();
        change.slots_.push_back({slot.slot, *held, slot.after});
    }
    if (!changedOnPedal.empty())
        return refuse({ChangeRefusal::Reason::changedOnPedal, changedOnPedal, {}, {}});
    if (change.slots_.empty()) return change;
    change.journal_ = Journal::forDevice(device);
    std::string problem = "the " + device.name() + " has no serial number to name its journal by";
    if (change.journal_)
        change.number_ = change.journal_->begin(operation, change.slots_, &problem);
    if (change.number_) return change;
    if (!onlyEmpty && without == WithoutJournal::refuse) {
        return refuse({ChangeRefusal::Reason::noJournal,
                       {},
                       problem,
                       change.journal_ ? change.journal_->path() : std::string()});
    }
    logFormat("%s: not journaled (%s); Undo cannot take it back", operation.c_str(),
              problem.c_str());
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

void JournaledChange::settleUnanswered(QORUARTDevice& device, std::size_t slot,
                                       std::set<std::size_t>& changed,
                                       std::vector<SlotChange>& actualAfter) const {
    const auto now = SlotContents::read(device, slot);
    if (now && *now == before(slot)) return;
    changed.insert(slot);
    std::erase_if(actualAfter, [slot](const SlotChange& change) { return change.slot == slot; });
    if (now) actualAfter.push_back({slot, {}, *now});
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
