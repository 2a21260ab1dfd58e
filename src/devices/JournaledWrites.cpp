#include "devices/JournaledWrites.h"

#include <algorithm>

#include "devices/JournaledChange.h"
#include "devices/Preset.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"
#include "link/StringPad.h"

namespace harbrix {

std::string JournaledWrites::problem() const {
    const std::string where = slot ? "slot " + slotNumbers({*slot}) : "a slot";
    switch (outcome) {
        case Outcome::written:
            return {};
        case Outcome::unreadable:
            return where +
                   " could not be read, so what it holds could not be kept; nothing was "
                   "written";
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
                                     bool verify, const std::function<void(std::size_t)>& done) {
    JournaledWrites result;
    std::stable_partition(writes.begin(), writes.end(),
                          [](const auto& write) { return !write.second.empty(); });
    std::vector<JournaledChange::Plan> plan;
    for (const auto& [slot, bytes] : writes) plan.push_back({slot, bytes});
    std::size_t unreadable = 0;
    auto change = JournaledChange::begin(device, operation, plan, &unreadable);
    if (!change) {
        result.outcome = Outcome::unreadable;
        result.slot = unreadable;
        return result;
    }
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
    change->finish(result.written);
    return result;
}

JournaledWrites JournaledWrites::rename(QORUARTDevice& device, std::size_t slot,
                                        const std::string& name) {
    JournaledWrites result;
    result.slot = slot;
    const auto before = SlotContents::known(device, slot);
    if (before && before->empty()) {
        result.outcome = Outcome::emptySlot;
        return result;
    }
    auto change = before ? JournaledChange::begin(device, "Rename",
                                                  {{slot, renamedPresetBytes(*before, name)}})
                         : std::nullopt;
    if (!change) {
        result.outcome = Outcome::unreadable;
        return result;
    }
    if (!device.setPresetName(name, slot)) {
        change->finish({});
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
