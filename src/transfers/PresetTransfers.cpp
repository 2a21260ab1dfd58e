// The transfer operations and the one-line notices that say what did not happen.
#include "transfers/PresetTransfers.h"

#include <algorithm>
#include <cstdio>

#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "link/Rails.h"
#include "transfers/JournaledTransfers.h"

namespace harbrix {
namespace {

using Kind = TransferResult::Kind;

// What a refused operation did not do: "the swap" ... "nothing was swapped".
struct Wording {
    const char* noun;
    const char* participle;
};

Wording wording(Kind kind) {
    switch (kind) {
        case Kind::move:
            return {"move", "moved"};
        case Kind::copy:
        case Kind::overwrite:
            return {"copy", "copied"};
        case Kind::swap:
            return {"swap", "swapped"};
        case Kind::erase:
            return {"delete", "deleted"};
        case Kind::write:
            return {"export", "written"};
        case Kind::rename:
            return {"rename", "renamed"};
    }
    return {"transfer", "changed"};
}

}  // namespace

PresetTransfers::PresetTransfers(std::weak_ptr<QORUARTDevice> device)
    : device_(std::move(device)) {}

bool PresetTransfers::refuse(std::string why) {
    refusal_ = std::move(why);
    return false;
}

bool PresetTransfers::post(Kind kind, const std::vector<std::size_t>& touched, Work work,
                           Completion done) {
    const DeviceRef device = device_.lock();
    if (!device || !device->queue()) return refuse({});
    refusal_.clear();
    std::map<std::size_t, PresetRef> before;
    for (const std::size_t slot : touched) before[slot] = presets(device).cached(slot);
    std::weak_ptr<QORUARTDevice> weak = device;
    rail(device->queue(), [weak, kind, before, work = std::move(work), done = std::move(done)] {
        const DeviceRef device = weak.lock();
        if (!device) return;
        TransferResult result;
        // The cache object of a slot is replaced by every write, erase or changed read, so
        // the same object means the same contents.
        const auto changed = std::find_if(before.begin(), before.end(), [&](const auto& entry) {
            return presets(device).cached(entry.first) != entry.second;
        });
        if (changed != before.end()) {
            const Wording words = wording(kind);
            result.kind = kind;
            for (const auto& [slot, preset] : before) result.touched.push_back(slot);
            result.notice = slotName(changed->first) + " changed before the " + words.noun +
                            " could run; nothing was " + words.participle + ".";
        } else {
            result = work(*device);
        }
        result.before = before;
        if (done) rail(Rails::main(), [done, result] { done(result); });
    });
    return true;
}

namespace {

// The cached preset of a slot when it holds a preset (not empty, not unknown).
PresetRef occupied(const QORUARTDevice& device, std::size_t slot) {
    PresetRef preset = presets(device).cached(slot);
    return preset && !preset->empty() ? preset : nullptr;
}

bool inRange(const QORUARTDevice& device, std::size_t slot) {
    return slot < device.presetsSchema().presets;
}

// "; nothing was moved.": the end of a refusal.
std::string nothingWas(Kind kind) {
    return std::string("; nothing was ") + wording(kind).participle + ".";
}

// Why `to` cannot take the preset of `from`; empty when it can: a slot of this pedal whose
// contents are known and, unless it may be overwritten, empty.
std::string targetRefusal(const QORUARTDevice& device, Kind kind, std::size_t from, std::size_t to,
                          bool overwrite) {
    if (to == from) return slotName(to) + " cannot take its own preset" + nothingWas(kind);
    if (!inRange(device, to)) return slotName(to) + " is not on this pedal" + nothingWas(kind);
    const PresetRef target = presets(device).cached(to);
    if (!target) return slotName(to) + " has not been read yet" + nothingWas(kind);
    if (!overwrite && !target->empty())
        return slotName(to) + " is no longer empty" + nothingWas(kind);
    return {};
}

// Why `slot` has no preset to give.
std::string sourceRefusal(const QORUARTDevice& device, Kind kind, std::size_t slot) {
    return slotName(slot) +
           (presets(device).cached(slot) ? " no longer holds a preset" : " has not been read yet") +
           nothingWas(kind);
}

// A preset with unsaved edits goes where a Move or a Swap took what the pedal stores of it,
// edits, history and all, and stays unsaved: the clean copy the write cached there gives way
// to it. One that did not move (its slot kept its preset) stays where it is. The cache holds
// objects, so the Editor finds the edits wherever they went; only saved bytes, which never
// change, are compared here on the pedal's queue.
struct Carried {
    PresetRef edited;
    std::size_t from;
    std::size_t to;
};

void carryDrafts(QORUARTDevice& device, const std::vector<Carried>& drafts) {
    const DeviceRef self = device.shared_from_this();
    for (const Carried& draft : drafts) {
        if (presets(device).cached(draft.from) == draft.edited) continue;
        // Its own slot is where a Swap that was taken back put it.
        for (const std::size_t slot : {draft.to, draft.from}) {
            const PresetRef held = presets(device).cached(slot);
            const bool anotherDraft = std::any_of(
                drafts.begin(), drafts.end(), [&](const Carried& d) { return d.edited == held; });
            if (!held || anotherDraft || !held->isEqualToCleanPreset(draft.edited.get())) continue;
            presets(device).setCached(draft.edited, slot);
            DeviceRegistry::deviceHasUpdatedPresetAtIndex(self, slot);
            break;
        }
    }
}

// Hands each slot on to `done` on the main rail.
PresetTransfers::SlotDone onMainRail(PresetTransfers::SlotDone done) {
    if (!done) return {};
    return [done](std::size_t slot) { rail(Rails::main(), [done, slot] { done(slot); }); };
}

}  // namespace

bool PresetTransfers::move(std::size_t from, std::size_t to, Completion done,
                           WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device) return refuse({});
    if (std::string why = targetRefusal(*device, Kind::move, from, to, false); !why.empty())
        return refuse(std::move(why));
    const PresetRef source = occupied(*device, from);
    if (!source) return refuse(sourceRefusal(*device, Kind::move, from));
    const PresetRef snapshot = source->savedCopy();
    return post(
        Kind::move, {from, to},
        [source, snapshot, from, to, without](QORUARTDevice& pedal) {
            TransferResult result =
                JournaledTransfers::move(pedal, snapshot, from, to, false, without);
            carryDrafts(pedal, {{source, from, to}});
            return result;
        },
        std::move(done));
}

bool PresetTransfers::copy(std::size_t from, std::size_t to, bool overwrite, Completion done,
                           WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device) return refuse({});
    const Kind kind = overwrite ? Kind::overwrite : Kind::copy;
    if (std::string why = targetRefusal(*device, kind, from, to, overwrite); !why.empty())
        return refuse(std::move(why));
    const PresetRef source = occupied(*device, from);
    if (!source) return refuse(sourceRefusal(*device, kind, from));
    const PresetRef snapshot = source->savedCopy();
    return post(
        kind, {from, to},
        [snapshot, to, overwrite, without](QORUARTDevice& pedal) {
            return JournaledTransfers::copy(pedal, snapshot, to, overwrite, false, without);
        },
        std::move(done));
}

bool PresetTransfers::place(const PresetRef& preset, std::size_t to, Completion done,
                            WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device || !preset) return refuse({});
    const PresetRef target = presets(device).cached(to);
    const bool overwrite = target && !target->empty();
    const Kind kind = overwrite ? Kind::overwrite : Kind::copy;
    // No slot of this pedal gives the preset: only the target is checked.
    constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    if (std::string why = targetRefusal(*device, kind, kNoSlot, to, true); !why.empty())
        return refuse(std::move(why));
    return post(
        kind, {to},
        [snapshot = preset->savedCopy(), to, overwrite, without](QORUARTDevice& pedal) {
            return JournaledTransfers::copy(pedal, snapshot, to, overwrite, false, without);
        },
        std::move(done));
}

bool PresetTransfers::swap(std::size_t a, std::size_t b, Completion done, WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device) return refuse({});
    if (a == b) return refuse(slotName(a) + " cannot swap with itself" + nothingWas(Kind::swap));
    const PresetRef presetA = occupied(*device, a);
    const PresetRef presetB = occupied(*device, b);
    if (!presetA || !presetB) return refuse(sourceRefusal(*device, Kind::swap, presetA ? b : a));
    const PresetRef snapshotA = presetA->savedCopy();
    const PresetRef snapshotB = presetB->savedCopy();
    return post(
        Kind::swap, {a, b},
        [presetA, presetB, snapshotA, snapshotB, a, b, without](QORUARTDevice& pedal) {
            TransferResult result =
                JournaledTransfers::swap(pedal, snapshotA, snapshotB, a, b, false, without);
            carryDrafts(pedal, {{presetA, a, b}, {presetB, b, a}});
            return result;
        },
        std::move(done));
}

bool PresetTransfers::erase(std::vector<std::size_t> slots, SlotDone erased, Completion done,
                            WithoutJournal without) {
    if (slots.empty()) return refuse({});
    return post(
        Kind::erase, slots,
        [slots, erased = onMainRail(std::move(erased)), without](QORUARTDevice& pedal) {
            return JournaledTransfers::erase(pedal, slots, erased, without);
        },
        std::move(done));
}

bool PresetTransfers::write(std::vector<StagedWrite> staged, SlotDone written, Completion done,
                            WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device) return refuse({});
    if (staged.empty()) return refuse("No file is staged" + nothingWas(Kind::write));
    std::vector<std::size_t> touched;
    for (const StagedWrite& write : staged) {
        if (!write.preset)
            return refuse(slotName(write.slot) + " has no file staged" + nothingWas(Kind::write));
        if (!inRange(*device, write.slot))
            return refuse(slotName(write.slot) + " is not on this pedal" + nothingWas(Kind::write));
        touched.push_back(write.slot);
    }
    return post(
        Kind::write, touched,
        [staged, written = onMainRail(std::move(written)), without](QORUARTDevice& pedal) {
            return JournaledTransfers::write(pedal, staged, written, without);
        },
        std::move(done));
}

bool PresetTransfers::rename(std::size_t slot, const std::string& name, Completion done,
                             WithoutJournal without) {
    const DeviceRef device = device_.lock();
    if (!device) return refuse({});
    const PresetRef cached = occupied(*device, slot);
    if (!cached) return refuse(sourceRefusal(*device, Kind::rename, slot));
    const auto renamed = JournaledTransfers::renamed(*cached, name);
    // The name it has: nothing to do, and nothing to say.
    if (!renamed) return refuse({});
    return post(
        Kind::rename, {slot},
        [renamed = *renamed, slot, without](QORUARTDevice& pedal) {
            return JournaledTransfers::rename(pedal, renamed.preset, slot, renamed.oldName,
                                              without);
        },
        std::move(done));
}

}  // namespace harbrix
