// harbrixctl history, undo and redo: the pedal's journal of slot changes on the terminal.
#include <cstdio>
#include <ctime>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/Journal.h"
#include "devices/JournalUndo.h"

namespace harbrix::ctl {
namespace {

// "01-05, 08": runs of slots as ranges, so a factory reset's hundred slots fit on a line.
std::string slotRuns(const std::set<std::size_t>& slots) {
    std::string text;
    for (auto it = slots.begin(); it != slots.end();) {
        auto last = it;
        while (std::next(last) != slots.end() && *std::next(last) == *last + 1) ++last;
        text += (text.empty() ? "" : ", ") + slotLabel(*it);
        if (last != it) text += "-" + slotLabel(*last);
        it = std::next(last);
    }
    return text;
}

std::string localTime(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "?";
    if (localtime_r(&time, &parts)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::shared_ptr<Journal> journalOf(const QORUARTDevice& device, int& status) {
    auto journal = Journal::forDevice(device);
    if (!journal) {
        status = fail(kBadInput, "the " + device.name() + " at " + device.filename() +
                                     " has no serial number to find its journal by");
    }
    return journal;
}

int undoOrRedo(const CommandLine& line, bool undoing) {
    int status = 0;
    const auto session = presetSession(line, 0, status);
    if (!session) return status;
    const auto journal = journalOf(*session->device(), status);
    if (!journal) return status;
    const bool force = line.flag("force");
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        JournalUndo engine(device, journal);
        const auto result = undoing ? engine.undo(force) : engine.redo(force);
        using Outcome = JournalUndo::Result::Outcome;
        switch (result.outcome) {
            case Outcome::done:
                std::printf("%s\n", result.message.c_str());
                return 0;
            case Outcome::nothing:
                std::printf("%s\n", result.message.c_str());
                return kPedalFailed;
            case Outcome::changedSince:
                return fail(kPedalFailed, result.message + " (--force overwrites them)");
            default:
                return fail(kPedalFailed, result.message);
        }
    });
}

}  // namespace

int historyCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 0, status);
    if (!session) return status;
    const auto journal = journalOf(*session->device(), status);
    if (!journal) return status;
    const auto entries = journal->entries();
    if (entries.empty()) {
        std::printf("no slot changes journaled for the %s %s\n", session->device()->name().c_str(),
                    session->device()->serial().c_str());
        return 0;
    }
    std::printf("%5s  %-19s  %-13s  %-24s  %s\n", "#", "time", "operation", "slots", "state");
    for (const JournalEntry& entry : entries) {
        std::set<std::size_t> slots;
        if (entry.finished()) {
            slots = *entry.changed;
        } else {
            for (const SlotChange& change : entry.slots) slots.insert(change.slot);
        }
        const char* state = entry.undone ? "undone" : entry.finished() ? "" : "unfinished";
        const std::string shown = slots.empty() ? "(none changed)" : slotRuns(slots);
        std::printf("%5llu  %-19s  %-13s  %-24s  %s\n",
                    static_cast<unsigned long long>(entry.number), localTime(entry.time).c_str(),
                    printableName(entry.operation).c_str(), shown.c_str(), state);
    }
    return 0;
}

int undoCommand(const CommandLine& line) {
    return undoOrRedo(line, true);
}

int redoCommand(const CommandLine& line) {
    return undoOrRedo(line, false);
}

}  // namespace harbrix::ctl
