#include "transfers/JournaledTransfers.h"

#include "devices/JournaledWrites.h"
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
    TransferResult result;
    const JournaledWrites journaled = JournaledWrites::journal(
        device, operationName(kind), plan, verify, without, [&](JournaledChange&) {
            result = work();
            JournaledWrites done;
            done.written.insert(result.done.begin(), result.done.end());
            if (!result.succeeded()) done.outcome = JournaledWrites::Outcome::refused;
            done.unanswered.insert(result.failed.begin(), result.failed.end());
            return done;
        });
    using Outcome = JournaledWrites::Outcome;
    if (journaled.outcome == Outcome::notStarted) {
        TransferResult refused;
        refused.kind = kind;
        for (const auto& slot : plan) refused.touched.push_back(slot.slot);
        const ChangeRefusal& refusal = *journaled.refusal;
        if (refusal.reason == ChangeRefusal::Reason::unreadable) refused.failed = refusal.indices;
        refused.notice = refusal.message();
        refused.refusal = refusal;
        return refused;
    }
    if (result.succeeded() && !journaled.succeeded() && journaled.slot) {
        result.failed = {*journaled.slot};
        result.notice = slotName(*journaled.slot) + (journaled.outcome == Outcome::unverified
                                                         ? " could not be read back."
                                                         : " does not read back as written.");
    }
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
                                        std::size_t to, bool overwrite, bool verify,
                                        WithoutJournal without) {
    using Kind = TransferResult::Kind;
    return run(device, overwrite ? Kind::overwrite : Kind::copy, {{to, bytesOf(snapshot)}}, verify,
               without, [&] { return PresetTransfers::runCopy(device, snapshot, to, overwrite); });
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

std::optional<JournaledTransfers::Renamed> JournaledTransfers::renamed(const Preset& preset,
                                                                       const std::string& name) {
    // The preset keeps its name until the pedal has taken the new one: a refused write then
    // leaves nothing to put back.
    Renamed renamed{preset.savedCopy(), {}};
    renamed.oldName = renamed.preset->name();
    renamed.preset->setName(name);
    if (renamed.preset->name() == renamed.oldName) return std::nullopt;
    return renamed;
}

TransferResult JournaledTransfers::rename(QORUARTDevice& device, const PresetRef& renamed,
                                          std::size_t slot, const std::string& oldName,
                                          WithoutJournal without) {
    return run(device, TransferResult::Kind::rename, {{slot, bytesOf(renamed)}}, false, without,
               [&] { return PresetTransfers::runRename(device, renamed, slot, oldName); });
}

}  // namespace harbrix
