// The editor's list of preset slots: one 21-point row per slot in a scroll view with the
// editor's image scroll bar, single selection, and rows that light up under the pointer.
// It never takes the keyboard, so key presses reach the editor. Selections by the user ask
// the delegate first; selections by the program do not.
#pragma once

#include <QScrollArea>

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

#include "editor/EditorPresetsTableCellView.h"

namespace harbrix {

class EditorPresetsTableDelegate {
  public:
    virtual ~EditorPresetsTableDelegate() = default;
    virtual PresetRowState rowState(std::size_t row) = 0;
    // Before a user's selection change; false keeps the selection.
    virtual bool selectionShouldChange() = 0;
    virtual void selectionDidChange() = 0;
    virtual void hoveringBegan(EditorPresetsTableCellView* cell) = 0;
    virtual void hoveringEnded(EditorPresetsTableCellView* cell) = 0;
};

class EditorPresetsTable : public QScrollArea {
    Q_OBJECT
  public:
    explicit EditorPresetsTable(QWidget* parent = nullptr);

    EditorPresetsTableDelegate* delegate() const { return delegate_; }
    void setDelegate(EditorPresetsTableDelegate* delegate) { delegate_ = delegate; }

    // Builds the rows afresh; no selection.
    void setRowCount(std::size_t count);
    std::size_t rowCount() const { return rows_.size(); }
    EditorPresetsTableCellView* row(std::size_t index) const;

    std::optional<std::size_t> selectedRow() const { return selected_; }
    // The row selected before the present one.
    std::optional<std::size_t> last() const { return last_; }
    void setLast(std::optional<std::size_t> row) { last_ = row; }
    // A selection by the program: no question asked; the delegate hears of a change.
    void selectRow(std::size_t row);
    // A click on a row.
    void userSelectRow(std::size_t row);
    void deselectAll();
    void redrawRow(std::size_t row);
    void scrollRowToVisible(std::size_t row);

    // Rows that received a scroll-wheel event while hovered, and may still be marked
    // hovered although the pointer no longer rests on them.
    std::set<std::size_t>& scrolledRows() { return scrolled_; }

  private:
    void changeSelection(std::size_t row);

    EditorPresetsTableDelegate* delegate_ = nullptr;
    QWidget* rowsView_;
    std::vector<EditorPresetsTableCellView*> rows_;
    std::optional<std::size_t> selected_;
    std::optional<std::size_t> last_;
    std::set<std::size_t> scrolled_;
};

}  // namespace harbrix
