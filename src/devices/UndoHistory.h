// An undo history of named inverse actions, one per edited object. An action registered
// while undoing becomes the redo step, and one registered while redoing becomes the next
// undo step, so an action that re-applies an edit through the same setter gives redo for free.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace harbrix {

class UndoHistory {
  public:
    using Action = std::function<void()>;

    // Called by the edit about to happen, with what puts it back.
    void registerUndo(std::string name, Action action);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // The step's name ("Edit Setting"), empty when there is none.
    std::string undoActionName() const;
    std::string redoActionName() const;
    void undo();
    void redo();
    void removeAllActions();

  private:
    struct Step {
        std::string name;
        Action action;
    };
    enum class Mode { editing, undoing, redoing };

    // Runs the top step of `from`; what it registers lands where the mode sends it.
    void replay(std::vector<Step>& from, Mode mode);

    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Mode mode_ = Mode::editing;
};

}  // namespace harbrix
