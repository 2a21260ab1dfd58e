#include "devices/JournaledWrites.h"

#include <algorithm>

#include "devices/Preset.h"
#include "devices/PresetKeeping.h"
#include "devices/PresetStore.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"

namespace harbrix {
namespace {

JournaledWrites refused(ChangeRefusal refusal) {
    JournaledWrites result;
    result.outcome = JournaledWrites::Outcome::notStarted;
    if (!refusal.indices.empty()) result.slot = refusal.indices.front();
    result.refusal = std::move(refusal);
    return result;
}

// The first changed slot that does not read back as the cache holds it: the outcome says how,
// and a mismatch leaves the entry for a "Write" entry of its own.
void verifyChanged(QORUARTDevice& device, JournaledChange& change,
                   const std::set<std::size_t>& changed, JournaledWrites& result) {
    for (const std::size_t slot : changed) {
        const auto cached = presets(device).cached(slot);
        const SlotBytes meant = cached ? SlotContents::of(*cached) : SlotBytes{};
        const auto read = SlotContents::read(device, slot);
        if (read && *read == meant) continue;
        result.slot = slot;
        if (!read) {
            result.outcome = JournaledWrites::Outcome::unverified;
        } else {
            result.outcome = JournaledWrites::Outcome::mismatch;
            change.mismatch(slot, *read);
        }
        return;
    }
}

}  // namespace

std::string JournaledWrites::problem() const {
    const std::string where = slot ? "slot " + slotNumbers({*slot}) : "a slot";
    switch (outcome) {
        case Outcome::written:
            return {};
        case Outcome::notStarted:
            return refusal ? refusal->message() : where + " was not changed";
        case Outcome::refused:
            return "the pedal did not take the preset for " + where;
        case Outcome::unverified:
            return where + " could not be read back";
        case Outcome::mismatch:
            return where + " does not read back as written";
    }
    return {};
}

JournaledWrites JournaledWrites::journal(QORUARTDevice& device, const std::string& operation,
                                         const std::vector<JournaledChange::Plan>& plan,
                                         bool verify, WithoutJournal without, const Work& work) {
    ChangeRefusal refusal;
    auto change = JournaledChange::begin(device, operation, plan, &refusal, without);
    if (!change) return refused(std::move(refusal));
    JournaledWrites result = work(*change);
    // What each slot holds now, as far as the cache knows: a Swap that put a slot back, or a
    // write the pedal refused halfway, leaves slots otherwise than planned.
    std::set<std::size_t> changed;
    std::vector<SlotChange> actual;
    for (const std::size_t slot : result.written) {
        const auto cached = presets(device).cached(slot);
        if (!cached) {
            changed.insert(slot);
            continue;
        }
        const SlotBytes now = SlotContents::of(*cached);
        if (now == change->before(slot)) continue;
        changed.insert(slot);
        actual.push_back({slot, {}, now});
    }
    if (verify && result.succeeded()) verifyChanged(device, *change, changed, result);
    for (const std::size_t slot : result.unanswered)
        change->settleUnanswered(device, slot, changed, actual);
    change->finish(changed, actual);
    if (const auto keeper = presetKeeper(); keeper && !changed.empty())
        keeper->pedalChanged(device);
    return result;
}

JournaledWrites JournaledWrites::run(QORUARTDevice& device, const std::string& operation,
                                     std::vector<std::pair<std::size_t, SlotBytes>> writes,
                                     bool verify, const std::function<void(std::size_t)>& done,
                                     WithoutJournal without) {
    std::stable_partition(writes.begin(), writes.end(),
                          [](const auto& write) { return !write.second.empty(); });
    std::vector<JournaledChange::Plan> plan;
    for (const auto& [slot, bytes] : writes) plan.push_back({slot, bytes});
    return journal(device, operation, plan, false, without, [&](JournaledChange& change) {
        JournaledWrites result;
        for (const auto& [slot, bytes] : writes) {
            if (!verify) {
                if (!SlotContents::write(device, slot, bytes)) {
                    result.outcome = Outcome::refused;
                    result.slot = slot;
                    result.unanswered.insert(slot);
                    break;
                }
            } else {
                const auto verified = SlotContents::writeVerified(device, slot, bytes);
                using Verified = SlotContents::Verified::Outcome;
                if (verified.outcome != Verified::written) {
                    result.slot = slot;
                    result.outcome = verified.outcome == Verified::refused ? Outcome::refused
                                     : verified.outcome == Verified::unreadable
                                         ? Outcome::unverified
                                         : Outcome::mismatch;
                    // Taken but not read back: it may well have changed.
                    if (verified.outcome == Verified::unreadable) result.written.insert(slot);
                    if (verified.outcome == Verified::refused) result.unanswered.insert(slot);
                    if (verified.outcome == Verified::mismatch)
                        change.mismatch(slot, verified.actual);
                    break;
                }
            }
            result.written.insert(slot);
            if (done) done(slot);
        }
        return result;
    });
}

}  // namespace harbrix
