#include "devices/JournaledWrites.h"

#include <algorithm>

#include "devices/JournaledChange.h"
#include "devices/Preset.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"
#include "link/StringPad.h"

namespace harbrix {
namespace {

JournaledWrites refused(ChangeRefusal refusal) {
    JournaledWrites result;
    result.outcome = JournaledWrites::Outcome::notStarted;
    if (!refusal.indices.empty()) result.slot = refusal.indices.front();
    result.refusal = std::move(refusal);
    return result;
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
        case Outcome::emptySlot:
            return where + " is empty";
    }
    return {};
}

JournaledWrites JournaledWrites::run(QORUARTDevice& device, const std::string& operation,
                                     std::vector<std::pair<std::size_t, SlotBytes>> writes,
                                     bool verify, const std::function<void(std::size_t)>& done,
                                     WithoutJournal without) {
    JournaledWrites result;
    std::stable_partition(writes.begin(), writes.end(),
                          [](const auto& write) { return !write.second.empty(); });
    std::vector<JournaledChange::Plan> plan;
    for (const auto& [slot, bytes] : writes) plan.push_back({slot, bytes});
    ChangeRefusal refusal;
    auto change = JournaledChange::begin(device, operation, plan, &refusal, without);
    if (!change) return refused(std::move(refusal));
    for (const auto& [slot, bytes] : writes) {
        if (!verify) {
            if (!SlotContents::write(device, slot, bytes)) {
                result.outcome = Outcome::refused;
                result.slot = slot;
                break;
            }
        } else {
            const auto verified = SlotContents::writeVerified(device, slot, bytes);
            using Verified = SlotContents::Verified::Outcome;
            if (verified.outcome != Verified::written) {
                result.slot = slot;
                result.outcome = verified.outcome == Verified::refused      ? Outcome::refused
                                 : verified.outcome == Verified::unreadable ? Outcome::unverified
                                                                            : Outcome::mismatch;
                // Taken but not read back: it may well have changed.
                if (verified.outcome == Verified::unreadable) result.written.insert(slot);
                if (verified.outcome == Verified::mismatch) change->mismatch(slot, verified.actual);
                break;
            }
        }
        result.written.insert(slot);
        if (done) done(slot);
    }
    // A write that failed may only have lost its answer: the slot may have changed.
    std::set<std::size_t> changed = result.written;
    std::vector<SlotChange> actual;
    if (result.outcome == Outcome::refused && result.slot)
        change->settleUnanswered(device, *result.slot, changed, actual);
    change->finish(changed, actual);
    return result;
}

JournaledWrites JournaledWrites::rename(QORUARTDevice& device, std::size_t slot,
                                        const std::string& name, WithoutJournal without) {
    JournaledWrites result;
    result.slot = slot;
    const auto before = SlotContents::known(device, slot);
    if (!before) return refused({ChangeRefusal::Reason::unreadable, {slot}, {}, {}});
    if (before->empty()) {
        result.outcome = Outcome::emptySlot;
        return result;
    }
    // Reads the slot again: a name typed for what the screen showed is not given to a preset
    // saved on the pedal since.
    ChangeRefusal refusal;
    auto change = JournaledChange::begin(
        device, "Rename", {{slot, renamedPresetBytes(*before, name)}}, &refusal, without);
    if (!change) return refused(std::move(refusal));
    if (!device.setPresetName(name, slot)) {
        std::set<std::size_t> changed;
        std::vector<SlotChange> actual;
        change->settleUnanswered(device, slot, changed, actual);
        change->finish(changed, actual);
        result.outcome = Outcome::refused;
        return result;
    }
    result.written.insert(slot);
    if (const auto after = SlotContents::read(device, slot)) {
        change->finish({slot}, {{slot, {}, *after}});
    } else {
        change->finish({slot});
        result.outcome = Outcome::unverified;
    }
    return result;
}

SlotBytes renamedPresetBytes(const SlotBytes& before, const std::string& name) {
    SlotBytes after = before;
    if (after.size() < Preset::kNameLength) return after;
    const std::string ascii = sanitized(name);
    std::fill_n(after.begin(), Preset::kNameLength, ' ');
    std::copy_n(ascii.begin(), std::min(ascii.size(), Preset::kNameLength), after.begin());
    return after;
}

}  // namespace harbrix
