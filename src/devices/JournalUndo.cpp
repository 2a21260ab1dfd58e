#include "devices/JournalUndo.h"

#include <algorithm>

#include "devices/Journal.h"
#include "devices/JournaledChange.h"
#include "devices/SlotContents.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

using Outcome = JournalUndo::Result::Outcome;

// One slot to write: what it holds now and what it is to hold.
struct Step {
    std::size_t slot;
    SlotBytes current;
    SlotBytes target;
};

std::string slotsPhrase(const std::vector<std::size_t>& slots) {
    return (slots.size() == 1 ? "slot " : "slots ") + slotNumbers(slots);
}

}  // namespace

JournalUndo::JournalUndo(QORUARTDevice& device, std::shared_ptr<Journal> journal)
    : device_(device), journal_(std::move(journal)) {}

JournalUndo::Result JournalUndo::undo(bool force) {
    return run(Direction::undo, force);
}

JournalUndo::Result JournalUndo::redo(bool force) {
    return run(Direction::redo, force);
}

JournalUndo::Result JournalUndo::run(Direction direction, bool force) {
    const bool undoing = direction == Direction::undo;
    const std::string verb = undoing ? "Undo" : "Redo";
    Result result;
    if (!journal_) {
        result.outcome = Outcome::noJournal;
        result.message =
            "The " + device_.name() + " has no journal: its serial number is not known.";
        return result;
    }
    result.entry = undoing ? journal_->undoable() : journal_->redoable();
    if (!result.entry) {
        result.message = "Nothing to " + std::string(undoing ? "undo." : "redo.");
        return result;
    }
    const JournalEntry& entry = *result.entry;
    const std::string title = verb + " " + entry.operation;
    auto stop = [&](Outcome outcome, std::vector<std::size_t> slots, const std::string& what) {
        result.outcome = outcome;
        result.slots = std::move(slots);
        result.message = title + ": " + what;
        logFormat("%s (entry %llu): %s", title.c_str(),
                  static_cast<unsigned long long>(entry.number), what.c_str());
        return result;
    };

    // Every slot is read before any is written.
    std::vector<Step> steps;
    std::vector<std::size_t> changedSince;
    std::vector<std::size_t> unknown;
    for (const SlotChange& change : entry.slots) {
        if (entry.finished() && !entry.changed->count(change.slot)) continue;
        const std::optional<SlotBytes> left = undoing ? change.after : change.before;
        const std::optional<SlotBytes> target = undoing ? change.before : change.after;
        const auto current = SlotContents::read(device_, change.slot);
        if (!current) {
            return stop(Outcome::unreadable, {change.slot},
                        slotsPhrase({change.slot}) + " could not be read; nothing was changed.");
        }
        if (!target) {
            unknown.push_back(change.slot);
            continue;
        }
        if (*current == *target) continue;
        if (!left || *current != *left) changedSince.push_back(change.slot);
        if (left && *current == *left)
            steps.push_back({change.slot, *current, *target});
        else if (force)
            steps.push_back({change.slot, *current, *target});
    }
    if (!unknown.empty()) {
        return stop(Outcome::unknown, unknown,
                    "what " + slotsPhrase(unknown) + " held afterwards was never read; nothing " +
                        "was changed.");
    }
    if (!changedSince.empty() && !force) {
        const bool one = changedSince.size() == 1;
        return stop(Outcome::changedSince, changedSince,
                    slotsPhrase(changedSince) + (one ? " has" : " have") +
                        " changed since; nothing was changed.");
    }

    // Presets are written before any slot is erased, as a Move does: when a write fails, the
    // preset it would have put back is still on the pedal, not only in the journal.
    std::stable_partition(steps.begin(), steps.end(),
                          [](const Step& step) { return !step.target.empty(); });
    for (const Step& step : steps) {
        const auto written = SlotContents::writeVerified(device_, step.slot, step.target);
        switch (written.outcome) {
            case SlotContents::Verified::Outcome::written:
                result.slots.push_back(step.slot);
                continue;
            case SlotContents::Verified::Outcome::refused:
                return stop(
                    Outcome::refused, {step.slot},
                    "the pedal did not take " + slotsPhrase({step.slot}) + "; stopped there.");
            case SlotContents::Verified::Outcome::unreadable:
                return stop(Outcome::unreadable, {step.slot},
                            slotsPhrase({step.slot}) + " could not be read back; stopped there.");
            case SlotContents::Verified::Outcome::mismatch:
                JournaledChange::recordMismatch(*journal_, step.slot, step.current, written.actual);
                return stop(
                    Outcome::mismatch, {step.slot},
                    slotsPhrase({step.slot}) + " does not read back as written; stopped there.");
        }
    }
    if (undoing)
        journal_->markUndone(entry.number);
    else
        journal_->markRedone(entry.number);
    result.outcome = Outcome::done;
    result.message =
        title + (result.slots.empty() ? ": the slots already held it."
                                      : ": " + slotsPhrase(result.slots) +
                                            (undoing ? " put back." : " changed again."));
    return result;
}

}  // namespace harbrix
