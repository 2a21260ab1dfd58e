// The slot grid's keys, and cutting, copying and pasting slots.
#include "transfers/SlotKeyboard.h"

#include <QKeyEvent>

#include "transfers/Transfers.h"
#include "transfers/TransfersLayout.h"

namespace harbrix {
namespace {

namespace layout = transfers_layout;

bool isNavigation(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

bool isArrow(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

}  // namespace

bool SlotKeyboard::keyPressed(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const int key = event.key();
    if (key == Qt::Key_A && modifiers == Qt::ControlModifier) {
        if (!screen_.canSelectSlots() || screen_.deleting()) return true;
        screen_.beginAction();
        screen_.selectAll();
        return true;
    }
    const bool shift = modifiers == Qt::ShiftModifier && isArrow(key);
    // "+" takes Shift on many keyboards.
    const bool plus = modifiers == Qt::ShiftModifier && key == Qt::Key_Plus;
    if (modifiers != Qt::NoModifier && !shift && !plus) return false;
    if (isNavigation(key)) {
        // The first key only shows where the keyboard is.
        if (focusedSlot() == nullptr) {
            focus(cursor_);
        } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            changePage(key == Qt::Key_PageUp ? -1 : 1);
        } else {
            move(key, shift);
        }
        return true;
    }
    switch (key) {
        case Qt::Key_Space:
            focus(cursor_);
            toggleSelection();
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            screen_.deletePresets();
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Insert:
            // The slot's own add button, which Tab does not visit.
            focus(cursor_);
            if (Slot* slot = screen_.slot(cursor_)) screen_.slotAddClicked(slot);
            return true;
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            focus(cursor_);
            if (Slot* slot = screen_.slot(cursor_)) screen_.slotDoubleClicked(slot);
            return true;
        default:
            return false;
    }
}

Slot* SlotKeyboard::focusedSlot() const {
    Slot* slot = screen_.slot(cursor_);
    return slot && slot->hasFocus() ? slot : nullptr;
}

Slot* SlotKeyboard::focusTarget() const {
    return used_ ? screen_.slot(cursor_) : nullptr;
}

void SlotKeyboard::focus(std::size_t index) {
    Slot* slot = screen_.slot(index);
    if (slot == nullptr) return;
    cursor_ = index;
    used_ = true;
    if (!slot->hasFocus()) slot->setFocus(Qt::OtherFocusReason);
    // A mark waiting to be pasted offers its operation here now.
    if (marked_) screen_.syncStatus(false);
}

void SlotKeyboard::pageShown(bool hadFocus) {
    const unsigned size = screen_.slotSize();
    const unsigned page = screen_.page();
    // The same place on the new page.
    if (!layout::onPage(size, page, cursor_)) cursor_ = (page - 1) * size + cursor_ % size;
    if (hadFocus) focus(cursor_);
}

void SlotKeyboard::slotClicked(const Slot& slot) {
    const bool hadFocus = focusedSlot() != nullptr;
    cursor_ = slot.index();
    // A range from the keyboard starts at the slot clicked.
    screen_.shiftSelected_ = slot.index();
    if (hadFocus) focus(cursor_);
}

std::size_t SlotKeyboard::target(int key) const {
    const unsigned size = screen_.slotSize();
    const std::size_t first = (screen_.page() - 1) * std::size_t{size};
    const std::size_t position = cursor_ - first;
    const std::size_t rows = layout::pageLayout(size).rows;
    switch (key) {
        case Qt::Key_Up:
            return position > 0 ? cursor_ - 1 : cursor_;
        case Qt::Key_Down:
            return position + 1 < size ? cursor_ + 1 : cursor_;
        case Qt::Key_Left:
            return position >= rows ? cursor_ - rows : cursor_;
        case Qt::Key_Right:
            return position + rows < size ? cursor_ + rows : cursor_;
        case Qt::Key_Home:
            return first;
        case Qt::Key_End:
            return first + size - 1;
        default:
            return cursor_;
    }
}

void SlotKeyboard::move(int key, bool extend) {
    const std::size_t from = cursor_;
    const std::size_t to = target(key);
    focus(to);
    if (!extend || !screen_.canSelectSlots() || screen_.deleting()) return;
    screen_.beginAction();
    // Without a selection the range starts where the keyboard was.
    if (screen_.selected().empty()) {
        screen_.shiftSelectAnchor_ = from;
        screen_.shiftSelected_ = from;
    }
    screen_.slotShiftSelected(screen_.slot(to));
}

void SlotKeyboard::changePage(int delta) {
    const int pages = static_cast<int>(Transfers::kSlotCount / screen_.slotSize());
    const int page = static_cast<int>(screen_.page()) + delta;
    if (page < 1 || page > pages || !screen_.tabs()) return;
    // As a click on the page's tab does it; the keyboard's slot follows to the new page.
    screen_.transfersTabsTabClicked(screen_.tabs(), static_cast<unsigned>(page));
}

void SlotKeyboard::toggleSelection() {
    Slot* slot = screen_.slot(cursor_);
    if (slot == nullptr || !screen_.canSelectSlots() || screen_.deleting()) return;
    screen_.beginAction();
    slot->setSelected(!slot->selected());
    screen_.shiftSelectAnchor_ = cursor_;
    screen_.shiftSelected_ = cursor_;
}

bool SlotKeyboard::canMark() const {
    const Slot* slot = screen_.slot(cursor_);
    // What could be dragged: an occupied slot, while no file is staged and no delete runs.
    return slot && slot->occupied() && screen_.canSelectSlots() && !screen_.deleting();
}

void SlotKeyboard::mark(SlotMark kind) {
    if (kind == SlotMark::none || !canMark() || !screen_.mayStartDrag()) return;
    clearMark();
    marked_ = cursor_;
    kind_ = kind;
    screen_.slot(cursor_)->setMark(kind);
    screen_.syncStatus(false);
}

void SlotKeyboard::clearMark() {
    if (!marked_) return;
    if (Slot* slot = screen_.slot(*marked_)) slot->setMark(SlotMark::none);
    marked_.reset();
    kind_ = SlotMark::none;
    screen_.syncStatus(false);
}

TransferOperation SlotKeyboard::offered() const {
    if (!marked_ || *marked_ == cursor_ || screen_.deleting() || !screen_.canSelectSlots())
        return TransferOperation::none;
    const Slot* source = screen_.slot(*marked_);
    const Slot* target = screen_.slot(cursor_);
    // As a drag: from an occupied slot, onto a slot whose contents are known.
    if (!source || !source->occupied() || !target || !target->known())
        return TransferOperation::none;
    return dropOperation(target->empty(), kind_ == SlotMark::copy);
}

void SlotKeyboard::paste() {
    if (offered() == TransferOperation::none || !screen_.mayStartDrag()) return;
    // Asked again: the refresh check may have changed what the slots hold.
    const TransferOperation operation = offered();
    if (operation == TransferOperation::none) return;
    const std::size_t from = *marked_;
    // A cut preset is pasted once; a copied one may be pasted again elsewhere.
    if (kind_ == SlotMark::cut) clearMark();
    screen_.runTransfer(operation, from, cursor_);
}

QString SlotKeyboard::title(Screen::Command command) const {
    const unsigned number = static_cast<unsigned>(cursor_ + 1);
    switch (command) {
        case Screen::Command::cut:
            return canMark() ? QStringLiteral("Cut (Slot %1)").arg(number) : QString();
        case Screen::Command::copy:
            return canMark() ? QStringLiteral("Copy (Slot %1)").arg(number) : QString();
        case Screen::Command::paste:
            switch (offered()) {
                case TransferOperation::move:
                    return QStringLiteral("Paste (Move to Slot %1)").arg(number);
                case TransferOperation::copy:
                    return QStringLiteral("Paste (Copy to Slot %1)").arg(number);
                case TransferOperation::swap:
                    return QStringLiteral("Paste (Swap with Slot %1)").arg(number);
                case TransferOperation::overwrite:
                    return QStringLiteral("Paste (Overwrite Slot %1)").arg(number);
                case TransferOperation::none:
                    break;
            }
            return {};
        default:
            return {};
    }
}

void SlotKeyboard::sync() {
    if (!marked_) return;
    const Slot* source = screen_.slot(*marked_);
    if (source && source->occupied()) return;
    if (Slot* slot = screen_.slot(*marked_)) slot->setMark(SlotMark::none);
    marked_.reset();
    kind_ = SlotMark::none;
}

}  // namespace harbrix
