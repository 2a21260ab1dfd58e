// Undo and redo stacks of named inverse actions.
#include "devices/UndoHistory.h"

#include <utility>

namespace harbrix {

void UndoHistory::registerUndo(std::string name, Action action) {
    if (!action) return;
    Step step{std::move(name), std::move(action)};
    switch (mode_) {
        case Mode::undoing:
            redo_.push_back(std::move(step));
            break;
        case Mode::redoing:
            undo_.push_back(std::move(step));
            break;
        case Mode::editing:
            // A new edit makes the undone steps meaningless.
            undo_.push_back(std::move(step));
            redo_.clear();
            break;
    }
}

std::string UndoHistory::undoActionName() const {
    return undo_.empty() ? std::string() : undo_.back().name;
}

std::string UndoHistory::redoActionName() const {
    return redo_.empty() ? std::string() : redo_.back().name;
}

void UndoHistory::undo() {
    replay(undo_, Mode::undoing);
}

void UndoHistory::redo() {
    replay(redo_, Mode::redoing);
}

void UndoHistory::replay(std::vector<Step>& from, Mode mode) {
    if (from.empty() || mode_ != Mode::editing) return;
    Step step = std::move(from.back());
    from.pop_back();
    mode_ = mode;
    step.action();
    mode_ = Mode::editing;
}

void UndoHistory::removeAllActions() {
    undo_.clear();
    redo_.clear();
}

}  // namespace harbrix
