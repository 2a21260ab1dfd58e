// The transfer operations' exchanges with the pedal, on its queue: what each writes and
// erases, in what order, and the one-line notice when a step fails.
#include "devices/PresetStore.h"
#include "transfers/PresetTransfers.h"

namespace harbrix {
namespace {

using Kind = TransferResult::Kind;

std::string quoted(const PresetRef& preset) {
    return "\"" + (preset ? preset->displayName() : std::string()) + "\"";
}

TransferResult started(Kind kind, std::vector<std::size_t> slots) {
    TransferResult result;
    result.kind = kind;
    result.touched = std::move(slots);
    return result;
}

}  // namespace

TransferResult PresetTransfers::runMove(QORUARTDevice& device, const PresetRef& snapshot,
                                        std::size_t from, std::size_t to) {
    TransferResult result = started(Kind::move, {from, to});
    if (!presets(device).write(snapshot, to)) {
        result.failed = {to};
        result.notice = slotName(to) + " could not be written; " + quoted(snapshot) +
                        " stays in slot " + std::to_string(from + 1) + ".";
        return result;
    }
    result.done.push_back(to);
    if (!presets(device).erase(from)) {
        result.failed = {from};
        result.notice = quoted(snapshot) + " was written to slot " + std::to_string(to + 1) +
                        ", but " + slotName(from) + " could not be erased; it is in both.";
        return result;
    }
    result.done.push_back(from);
    return result;
}

TransferResult PresetTransfers::runCopy(QORUARTDevice& device, const PresetRef& snapshot,
                                        std::size_t to, bool overwrite) {
    TransferResult result = started(overwrite ? Kind::overwrite : Kind::copy, {to});
    if (!presets(device).write(snapshot, to)) {
        result.failed = {to};
        result.notice = slotName(to) + " could not be written; " +
                        (overwrite ? "the pedal kept its preset." : "it is still empty.");
        return result;
    }
    result.done = {to};
    return result;
}

TransferResult PresetTransfers::runSwap(QORUARTDevice& device, const PresetRef& a,
                                        const PresetRef& b, std::size_t slotA, std::size_t slotB) {
    TransferResult result = started(Kind::swap, {slotA, slotB});
    if (!presets(device).write(a, slotB)) {
        result.failed = {slotB};
        result.notice = slotName(slotB) + " could not be written; nothing was swapped.";
        return result;
    }
    result.done.push_back(slotB);
    if (presets(device).write(b, slotA)) {
        result.done.push_back(slotA);
        return result;
    }
    // Slot b now holds a's preset, which slot a still holds too: b's own preset would be on
    // the pedal nowhere. Put it back.
    result.failed = {slotA};
    if (presets(device).write(b, slotB)) {
        result.done.push_back(slotB);
        result.notice = slotName(slotA) + " could not be written; the swap was undone.";
        return result;
    }
    result.failed.push_back(slotB);
    result.notice = slotName(slotA) + " could not be written and " + slotName(slotB) +
                    " could not be restored: " + quoted(b) + " is no longer on the pedal.";
    return result;
}

TransferResult PresetTransfers::runErase(QORUARTDevice& device, std::vector<std::size_t> slots,
                                         const SlotDone& erased) {
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    TransferResult result = started(Kind::erase, slots);
    for (const std::size_t slot : slots) {
        if (!presets(device).erase(slot)) {
            result.failed.push_back(slot);
            continue;
        }
        result.done.push_back(slot);
        if (erased) erased(slot);
    }
    if (!result.failed.empty()) {
        const bool one = result.failed.size() == 1;
        result.notice = slotList(result.failed) + " could not be erased; the pedal kept " +
                        (one ? "its preset." : "their presets.");
    }
    return result;
}

TransferResult PresetTransfers::runWrite(QORUARTDevice& device, std::vector<StagedWrite> staged,
                                         const SlotDone& written) {
    std::sort(staged.begin(), staged.end(),
              [](const StagedWrite& x, const StagedWrite& y) { return x.slot < y.slot; });
    std::vector<std::size_t> touched;
    for (const StagedWrite& write : staged) touched.push_back(write.slot);
    TransferResult result = started(Kind::write, touched);
    for (std::size_t i = 0; i < staged.size(); ++i) {
        const StagedWrite& write = staged[i];
        if (!write.preset || !presets(device).write(write.preset, write.slot)) {
            result.failed = {write.slot};
            const std::size_t later = staged.size() - i - 1;
            result.notice = slotName(write.slot) + " could not be written; " +
                            (later == 0 ? std::string("its file is still staged.")
                                        : "its file and the " + std::to_string(later) +
                                              " after it are still staged.");
            return result;
        }
        result.done.push_back(write.slot);
        if (written) written(write.slot);
    }
    return result;
}

TransferResult PresetTransfers::runRename(QORUARTDevice& device, const PresetRef& renamed,
                                          std::size_t slot, const std::string& oldName) {
    TransferResult result = started(Kind::rename, {slot});
    if (!presets(device).write(renamed, slot)) {
        result.failed = {slot};
        result.notice = slotName(slot) + " could not be renamed; the pedal kept the name \"" +
                        displayedPresetName(oldName) + "\".";
        return result;
    }
    result.done = {slot};
    return result;
}

}  // namespace harbrix
