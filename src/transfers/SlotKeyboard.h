// The slot grid from the keyboard. One slot of the page is the keyboard's: once a key has
// been used in the grid it holds the keyboard focus and draws the focus ring. The arrows move
// it in the order of the page's columns (Up and Down through a column and on into the next,
// Left and Right along a row), Page Up and Page Down change the page, Home and End go to the
// page's first and last slot; with Shift the arrows extend the selection as a range. Space
// selects or deselects the slot, Ctrl+A selects all, Delete and Backspace delete the
// selection, F2 and Enter rename the slot, + and Insert stage a file on it.
//
// Cut and Copy mark the keyboard's slot; Paste onto another slot runs what a drop of the
// marked slot there would run (after Cut: Move or Swap; after Copy: Copy or Overwrite), and
// the status line shows that operation meanwhile, as it does during a drag. Escape clears the
// mark; a paste after Cut clears it too.
#pragma once

#include <QString>

#include <cstddef>
#include <optional>

#include "shell/Screen.h"
#include "transfers/Slot.h"
#include "transfers/TransferOperation.h"

class QKeyEvent;

namespace harbrix {

class Transfers;

class SlotKeyboard {
  public:
    explicit SlotKeyboard(Transfers& screen) : screen_(screen) {}

    // A key pressed on the screen; false when it is not one the grid takes.
    bool keyPressed(const QKeyEvent& event);

    // The keyboard's slot, always on the page shown.
    std::size_t cursor() const { return cursor_; }
    // That slot while it holds the keyboard focus; null otherwise.
    Slot* focusedSlot() const;
    // The slot the screen's keyboard focus belongs on: the keyboard's slot once keys have
    // been used in the grid, else none (the screen's own view takes the keys).
    Slot* focusTarget() const;
    // Makes the slot the keyboard's, with the focus ring.
    void focus(std::size_t index);
    // Backs the keyboard's slot onto the page now shown; it keeps the focus it had.
    void pageShown(bool hadFocus);
    // A click makes the slot the keyboard's (the ring moves along when it was shown).
    void slotClicked(const Slot& slot);

    // ---- Cut, Copy and Paste
    bool canMark() const;
    void mark(SlotMark kind);
    void clearMark();
    std::optional<std::size_t> marked() const { return marked_; }
    // What Paste onto the keyboard's slot would run; none when it would run nothing.
    TransferOperation offered() const;
    void paste();
    // "Cut (Slot 3)", "Paste (Move to Slot 5)"; empty when the command does nothing now.
    QString title(Screen::Command command) const;
    // Drops a mark whose preset has gone (moved away, erased elsewhere).
    void sync();

  private:
    // Where the arrow (or Home, End) key sends the keyboard's slot; itself at an edge.
    std::size_t target(int key) const;
    void move(int key, bool extend);
    void changePage(int delta);
    void toggleSelection();

    Transfers& screen_;
    std::size_t cursor_ = 0;
    bool used_ = false;
    std::optional<std::size_t> marked_;
    SlotMark kind_ = SlotMark::none;
};

}  // namespace harbrix
