#include "transfers/JournaledTransfers.h"

#include <set>

#include "devices/SlotContents.h"

namespace harbrix {
namespace {

SlotBytes bytesOf(const PresetRef& preset) {
    return preset ? SlotContents::of(*preset) : SlotBytes{};
}

}  // namespace

std::string JournaledTransfers::operationName(TransferResult::Kind kind) {
    using Kind = TransferResult::Kind;
    switch (kind) {
        case Kind::move:
            return "Move";
        case Kind::copy:
            return "Copy";
        case Kind::overwrite:
            return "Overwrite";
        case Kind::swap:
            return "Swap";
        case Kind::erase:
            return "Delete";
        case Kind::write:
            return "Export";
        case Kind::rename:
            return "Rename";
    }
    return "Write";
}

TransferResult JournaledTransfers::run(QORUARTDevice& device, TransferResult::Kind kind,
                                       const std::vector<JournaledChange::Plan>& plan, bool verify,
                                       WithoutJournal without,
                                       const std::function<TransferResult()>& work) {
    ChangeRefusal refusal;
    auto change = JournaledChange::begin(device, operationName(kind), plan, &refusal, without);
    if (!change) {
        TransferResult refused;
        refused.kind = kind;
        for (const auto& slot : plan) refused.touched.push_back(slot.slot);
        if (refusal.reason == ChangeRefusal::Reason::unreadable) refused.failed = refusal.indices;
        refused.notice = refusal.message();
        refused.refusal = std::move(refusal);
        return refused;
    }
    TransferResult result = work();
    // What each slot holds now, as far as the cache knows: a Swap that put a slot back, or a
    // write the pedal refused halfway, leaves slots otherwise than planned.
    std::set<std::size_t> changed;
    std::vector<SlotChange> actual;
    for (const std::size_t slot : std::set<std::size_t>(result.done.begin(), result.done.end())) {
        const auto cached = device.cachedPreset(slot);
        if (!cached) {
            changed.insert(slot);
            continue;
        }
        const SlotBytes now = SlotContents::of(*cached);
        if (now == change->before(slot)) continue;
        changed.insert(slot);
        actual.push_back({slot, {}, now});
    }
    if (verify && result.succeeded()) {
        for (const std::size_t slot : changed) {
            const auto cached = device.cachedPreset(slot);
            const SlotBytes meant = cached ? SlotContents::of(*cached) : SlotBytes{};
            const auto read = SlotContents::read(device, slot);
            if (read && *read == meant) continue;
            result.failed = {slot};
            if (!read) {
                result.notice = slotName(slot) + " could not be read back.";
            } else {
                change->mismatch(slot, *read);
                result.notice = slotName(slot) + " does not read back as written.";
            }
            break;
        }
    }
    // A request that failed may only have lost its answer: the slot may have changed.
    for (const std::size_t slot : std::set<std::size_t>(result.failed.begin(), result.failed.end()))
        change->settleUnanswered(device, slot, changed, actual);
    change->finish(changed, actual);
    return result;
}

TransferResult JournaledTransfers::move(QORUARTDevice& device, const PresetRef& snapshot,
                                        std::size_t from, std::size_t to, bool verify,
                                        WithoutJournal without) {
    return run(device, TransferResult::Kind::move, {{to, bytesOf(snapshot)}, {from, SlotBytes{}}},
               verify, without,
               [&] { return PresetTransfers::runMove(device, snapshot, from, to); });
}

TransferResult JournaledTransfers::copy(QORUARTDevice& device, const PresetRef& snapshot,
                                        std::size_t from, std::size_t to, bool overwrite,
                                        bool verify, WithoutJournal without) {
    using Kind = TransferResult::Kind;
    return run(device, overwrite ? Kind::overwrite : Kind::copy, {{to, bytesOf(snapshot)}}, verify,
               without,
               [&] { return PresetTransfers::runCopy(device, snapshot, from, to, overwrite); });
}

TransferResult JournaledTransfers::swap(QORUARTDevice& device, const PresetRef& a,
                                        const PresetRef& b, std::size_t slotA, std::size_t slotB,
                                        bool verify, WithoutJournal without) {
    return run(device, TransferResult::Kind::swap, {{slotB, bytesOf(a)}, {slotA, bytesOf(b)}},
               verify, without,
               [&] { return PresetTransfers::runSwap(device, a, b, slotA, slotB); });
}

TransferResult JournaledTransfers::erase(QORUARTDevice& device,
                                         const std::vector<std::size_t>& slots,
                                         const PresetTransfers::SlotDone& erased,
                                         WithoutJournal without) {
    std::vector<JournaledChange::Plan> plan;
    for (const std::size_t slot : slots) plan.push_back({slot, SlotBytes{}});
    return run(device, TransferResult::Kind::erase, plan, false, without,
               [&] { return PresetTransfers::runErase(device, slots, erased); });
}

TransferResult JournaledTransfers::write(QORUARTDevice& device,
                                         const std::vector<PresetTransfers::StagedWrite>& staged,
                                         const PresetTransfers::SlotDone& written,
                                         WithoutJournal without) {
    std::vector<JournaledChange::Plan> plan;
    for (const auto& write : staged) plan.push_back({write.slot, bytesOf(write.preset)});
    return run(device, TransferResult::Kind::write, plan, false, without,
               [&] { return PresetTransfers::runWrite(device, staged, written); });
}

TransferResult JournaledTransfers::rename(QORUARTDevice& device, const PresetRef& renamed,
                                          std::size_t slot, const std::string& oldName,
                                          WithoutJournal without) {
    return run(device, TransferResult::Kind::rename, {{slot, bytesOf(renamed)}}, false, without,
               [&] { return PresetTransfers::runRename(device, renamed, slot, oldName); });
}

}  // namespace harbrix
