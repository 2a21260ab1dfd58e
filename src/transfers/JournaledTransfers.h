// The transfer operations as the user's actions: each one reads the slots it touches from the
// pedal and writes down in the pedal's journal what they hold and what it means to put there
// before its first request, and ends with the slots it really changed, so Undo can take it
// back. Nothing is sent when a slot was changed on the pedal itself, or when the entry cannot
// be written and the operation could lose a preset, unless `without` lets it go on (the
// result's `refusal` says which; see JournaledChange::begin). The Transfers screen and
// harbrixctl run the operations through here, on the pedal's queue; the operations themselves
// are those of PresetTransfers, and they are journaled as every other change is
// (JournaledWrites::journal).
//
// With `verify`, every slot the operation changed is read back afterwards; a slot that reads
// back otherwise stops there, is named in the notice and gets a "Write" entry of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devices/JournaledChange.h"
#include "transfers/PresetTransfers.h"

namespace harbrix {

class JournaledTransfers {
  public:
    static TransferResult move(QORUARTDevice& device, const PresetRef& snapshot, std::size_t from,
                               std::size_t to, bool verify = false,
                               WithoutJournal without = WithoutJournal::refuse);
    // A Copy, or an Overwrite, of `snapshot` (a slot's preset, or one from the library) onto
    // `to`.
    static TransferResult copy(QORUARTDevice& device, const PresetRef& snapshot, std::size_t to,
                               bool overwrite, bool verify = false,
                               WithoutJournal without = WithoutJournal::refuse);
    static TransferResult swap(QORUARTDevice& device, const PresetRef& a, const PresetRef& b,
                               std::size_t slotA, std::size_t slotB, bool verify = false,
                               WithoutJournal without = WithoutJournal::refuse);
    // A delete of any number of slots is one entry.
    static TransferResult erase(QORUARTDevice& device, const std::vector<std::size_t>& slots,
                                const PresetTransfers::SlotDone& erased = {},
                                WithoutJournal without = WithoutJournal::refuse);
    // Staged files written into their slots: one "Export" entry.
    static TransferResult write(QORUARTDevice& device,
                                const std::vector<PresetTransfers::StagedWrite>& staged,
                                const PresetTransfers::SlotDone& written = {},
                                WithoutJournal without = WithoutJournal::refuse);
    // Writes the whole renamed preset back (see renamed).
    static TransferResult rename(QORUARTDevice& device, const PresetRef& renamed, std::size_t slot,
                                 const std::string& oldName,
                                 WithoutJournal without = WithoutJournal::refuse);

    // What a rename writes back: a copy of the preset as it is saved, given the name as
    // Preset::setName takes it, and the name it had. None when the name would not change
    // (it is the one it has, or one the pedal cannot store).
    struct Renamed {
        PresetRef preset;
        std::string oldName;
    };
    static std::optional<Renamed> renamed(const Preset& preset, const std::string& name);

    // The journal's name of an operation: "Move", "Copy", "Overwrite", "Swap", "Delete",
    // "Export", "Rename".
    static std::string operationName(TransferResult::Kind kind);

  private:
    static TransferResult run(QORUARTDevice& device, TransferResult::Kind kind,
                              const std::vector<JournaledChange::Plan>& plan, bool verify,
                              WithoutJournal without, const std::function<TransferResult()>& work);
};

}  // namespace harbrix
