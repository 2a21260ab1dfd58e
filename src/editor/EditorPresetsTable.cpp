// The preset list.
#include "editor/EditorPresetsTable.h"

#include <QVBoxLayout>

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ScrollBar.h"

namespace harbrix {

EditorPresetsTable::EditorPresetsTable(QWidget* parent) : QScrollArea(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBar(new ui::ScrollBar(ui::imageName(ui::images::kEditorScrollbar)));
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setSingleStep(EditorPresetsTableCellView::kHeight);
    setWidgetResizable(true);
    setStyleSheet(QStringLiteral(
        "QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    rowsView_ = new QWidget;
    rowsView_->setFocusPolicy(Qt::NoFocus);
    auto* column = new QVBoxLayout(rowsView_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addStretch(1);
    setWidget(rowsView_);
    setAccessibleName(QStringLiteral("Presets"));
}

void EditorPresetsTable::setRowCount(std::size_t count) {
    for (EditorPresetsTableCellView* row : rows_) delete row;
    rows_.clear();
    scrolled_.clear();
    selected_.reset();
    last_.reset();
    auto* column = static_cast<QVBoxLayout*>(rowsView_->layout());
    for (std::size_t index = 0; index < count; ++index) {
        auto* row = new EditorPresetsTableCellView(this, index, rowsView_);
        column->insertWidget(static_cast<int>(index), row);
        rows_.push_back(row);
        row->reload();
    }
}

EditorPresetsTableCellView* EditorPresetsTable::row(std::size_t index) const {
    return index < rows_.size() ? rows_[index] : nullptr;
}

void EditorPresetsTable::selectRow(std::size_t row) {
    if (row >= rows_.size() || selected_ == row) return;
    changeSelection(row);
}

void EditorPresetsTable::userSelectRow(std::size_t row) {
    if (row >= rows_.size() || selected_ == row) return;
    if (delegate_ != nullptr && !delegate_->selectionShouldChange()) return;
    changeSelection(row);
}

void EditorPresetsTable::changeSelection(std::size_t row) {
    const std::optional<std::size_t> before = selected_;
    selected_ = row;
    if (before) redrawRow(*before);
    redrawRow(row);
    if (delegate_ != nullptr) delegate_->selectionDidChange();
}

void EditorPresetsTable::deselectAll() {
    const std::optional<std::size_t> before = selected_;
    selected_.reset();
    if (before) redrawRow(*before);
}

void EditorPresetsTable::redrawRow(std::size_t row) {
    if (EditorPresetsTableCellView* view = this->row(row)) view->reload();
}

void EditorPresetsTable::scrollRowToVisible(std::size_t row) {
    if (EditorPresetsTableCellView* view = this->row(row)) ensureWidgetVisible(view, 0, 0);
}

}  // namespace harbrix
