// harbrixctl move A B, copy A B, swap A B, delete SLOT... (erase is the same) and rename SLOT
// NAME: the Transfers screen's operations on a terminal, run by the same code. Each reads the slots
// it touches from the pedal first, so it works on what the pedal holds now, and refuses what would
// lose a preset without being asked to: a move onto an occupied slot, a swap with an empty one.
// Each is journaled, so undo takes it back, and sends nothing when its journal entry cannot be
// written unless --no-journal; --verify on move, copy and swap reads the slots back.
#include <algorithm>
#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "link/StringPad.h"
#include "transfers/JournaledTransfers.h"

namespace harbrix::ctl {
namespace {

std::string shown(const PresetRef& preset) {
    return printableName(preset->displayName());
}

// Both slots of an operation, read; false after saying why one could not be.
bool readBoth(QORUARTDevice& device, std::size_t a, std::size_t b, PresetRef& presetA,
              PresetRef& presetB, int& status) {
    presetA = readSlot(device, a, status);
    if (!presetA) return false;
    presetB = readSlot(device, b, status);
    return presetB != nullptr;
}

int finished(const TransferResult& result) {
    if (result.succeeded()) return 0;
    if (result.refusal) return refused(*result.refusal);
    return fail(kPedalFailed, result.notice);
}

// The two slots of move, copy and swap; none after saying why.
bool twoSlots(const CommandLine& line, std::shared_ptr<DeviceSession>& session, std::size_t& a,
              std::size_t& b, int& status) {
    session = presetSession(line, 2, status);
    if (!session) return false;
    const auto& words = session->arguments();
    const auto first = parseSlot(words[0]);
    const auto second = parseSlot(words[1]);
    if (!first || !second) {
        status = badSlot(first ? words[1] : words[0]);
        return false;
    }
    if (*first == *second) {
        status = usageError(line.command + " needs two different slots");
        return false;
    }
    a = *first;
    b = *second;
    return true;
}

}  // namespace

int moveCommand(const CommandLine& line) {
    std::shared_ptr<DeviceSession> session;
    std::size_t from = 0, to = 0;
    int status = 0;
    if (!twoSlots(line, session, from, to, status)) return status;
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        PresetRef source, target;
        if (!readBoth(device, from, to, source, target, status)) return status;
        if (source->empty()) return fail(kBadInput, "slot " + slotLabel(from) + " is empty");
        if (!target->empty()) {
            return fail(kBadInput, "slot " + slotLabel(to) + " holds \"" + shown(target) +
                                       "\"; swap them, or copy onto it to overwrite it");
        }
        const TransferResult result = JournaledTransfers::move(
            device, source, from, to, line.flag("verify"), withoutJournal(line));
        if (!result.done.empty()) {
            std::printf("%s  %s -> %s%s\n", slotLabel(from).c_str(), shown(source).c_str(),
                        slotLabel(to).c_str(), result.succeeded() ? "" : " (copied only)");
        }
        return finished(result);
    });
}

int copyCommand(const CommandLine& line) {
    std::shared_ptr<DeviceSession> session;
    std::size_t from = 0, to = 0;
    int status = 0;
    if (!twoSlots(line, session, from, to, status)) return status;
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        PresetRef source, target;
        if (!readBoth(device, from, to, source, target, status)) return status;
        if (source->empty()) return fail(kBadInput, "slot " + slotLabel(from) + " is empty");
        const bool overwrite = !target->empty();
        const TransferResult result = JournaledTransfers::copy(
            device, source, to, overwrite, line.flag("verify"), withoutJournal(line));
        if (result.succeeded()) {
            std::printf("%s  %s => %s%s\n", slotLabel(from).c_str(), shown(source).c_str(),
                        slotLabel(to).c_str(),
                        overwrite ? ("  (overwrote \"" + shown(target) + "\")").c_str() : "");
        }
        return finished(result);
    });
}

int swapCommand(const CommandLine& line) {
    std::shared_ptr<DeviceSession> session;
    std::size_t a = 0, b = 0;
    int status = 0;
    if (!twoSlots(line, session, a, b, status)) return status;
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        PresetRef presetA, presetB;
        if (!readBoth(device, a, b, presetA, presetB, status)) return status;
        for (const auto& [slot, preset] : {std::pair{a, presetA}, std::pair{b, presetB}}) {
            if (preset->empty()) {
                return fail(kBadInput, "slot " + slotLabel(slot) +
                                           " is empty; move the other preset there instead");
            }
        }
        const TransferResult result = JournaledTransfers::swap(
            device, presetA, presetB, a, b, line.flag("verify"), withoutJournal(line));
        if (result.succeeded()) {
            std::printf("%s  %s <-> %s  %s\n", slotLabel(a).c_str(), shown(presetA).c_str(),
                        slotLabel(b).c_str(), shown(presetB).c_str());
        }
        return finished(result);
    });
}

// Writes the whole preset back under the new name, as the Transfers screen does.
int renameCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 2, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    const std::string name = session->arguments()[1];
    if (sanitized(name).empty()) {
        return usageError("the name \"" + name + "\" has no character the pedal can show");
    }
    if (!Preset::storableName(name)) {
        return usageError("the name \"" + name + "\" has characters the pedal cannot show");
    }
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        const PresetRef preset = readSlot(device, *slot, status);
        if (!preset) return status;
        if (preset->empty()) return fail(kPedalFailed, "slot " + slotLabel(*slot) + " is empty");
        // The name it has: nothing to send.
        if (const auto renamed = JournaledTransfers::renamed(*preset, name)) {
            const TransferResult result = JournaledTransfers::rename(
                device, renamed->preset, *slot, renamed->oldName, withoutJournal(line));
            if (!result.succeeded()) return finished(result);
        }
        std::printf("%s  %s\n", slotLabel(*slot).c_str(),
                    shown(presets(device).cached(*slot)).c_str());
        return 0;
    });
}

int deleteCommand(const CommandLine& line) {
    std::string error;
    // Every argument after the pedal is a slot; the session takes them all as its own.
    const std::size_t given = line.arguments.size();
    auto session = DeviceSession::fromCommandLine(line, error, 1, given > 1 ? given - 1 : 0);
    if (!session) return usageError(error);
    std::vector<std::size_t> slots;
    for (const std::string& word : session->arguments()) {
        const auto slot = parseSlot(word);
        if (!slot) return badSlot(word);
        slots.push_back(*slot);
    }
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        for (const std::size_t slot : slots)
            if (const int refused = checkSlot(device, slot)) return refused;
        const TransferResult result = JournaledTransfers::erase(
            device, slots,
            [](std::size_t slot) { std::printf("%s  erased\n", slotLabel(slot).c_str()); },
            withoutJournal(line));
        return finished(result);
    });
}

}  // namespace harbrix::ctl
