// The Transfers screen: the librarian for the pedal's 100 slots. It shows them 20, 50 or 100
// to a page, lets the user select, rename, drag (move, copy, swap, overwrite), delete, import
// to files and stage files for export, and keeps a status line and the buttons in step with
// what is selected, staged or dragged. Device work goes through PresetTransfers on the pedal's
// queue; the screen is brought up to date by the pedal's announcements (reloadPreset).
#pragma once

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "shell/Notice.h"
#include "shell/Screen.h"
#include "shell/Shield.h"
#include "transfers/PresetTransfers.h"
#include "transfers/Slot.h"
#include "transfers/SlotField.h"
#include "transfers/SlotKeyboard.h"
#include "transfers/TransfersBackground.h"
#include "transfers/TransfersTabs.h"
#include "transfers/TransfersUndo.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {

class Transfers : public QObject,
                  public Screen,
                  public SlotDelegate,
                  public TransfersTabsDelegate,
                  public TransfersBackgroundDelegate {
    Q_OBJECT
  public:
    static constexpr std::size_t kSlotCount = 100;

    // The screen for the pedal; none without one.
    static std::unique_ptr<Transfers> controller(const DeviceRef& device);
    ~Transfers() override;

    Kind kind() const override { return Kind::transfers; }
    QString className() const override { return QStringLiteral("Transfers"); }
    // The keyboard's slot once keys have been used in the grid; else the screen's view.
    QWidget* focusView() override;

    PresetRef preset(std::size_t index) const override;

    void reloadPreset(std::size_t index) override;
    void sync() override { sync(true); }
    void pedalLeft() override;
    // Edit > Undo and Redo of the pedal's journal; Cut, Copy and Paste of slots.
    bool validateCommand(Command command) override;
    void performCommand(Command command) override;
    QString commandTitle(Command command) override;
    TransfersUndo* undo() const { return undo_; }
    // Counts, buttons and the status line; with `full` every slot is redrawn too.
    void sync(bool full);
    // Counts and the status line, and with `buttons` the buttons' states.
    void syncStatus(bool buttons);

    // ---- Transfer operations (Transfers.cpp, TransfersActions.cpp)
    void deletePresets();
    void exportPresets();
    void cancelTransfer();
    void importPresets();
    void slotAddedExport(Slot* slot, const PresetRef& preset);
    void slotExportCleared(Slot* slot) override;
    bool canSelectSlots() const override { return exports_.empty(); }
    bool undecided() const { return exports_.empty() && selected_.empty(); }
    void dragOperationChanged(TransferOperation operation) override;
    TransferOperation offeredOperation() const override;

    // ---- Grid, pages, selection and renaming (TransfersGrid.cpp)
    unsigned slotSize() const override { return slotSize_; }
    unsigned page() const { return page_; }
    void setSlotSize(unsigned size);
    void setPage(unsigned page);
    QRect frameForSlot(std::size_t index) const override;
    std::vector<Slot*> visibleSlots() const override;
    void transfersTabsTabClicked(TransfersTabs* strip, unsigned tab) override;
    void button20Clicked();
    void button50Clicked();
    void button100Clicked();
    void selectAll();
    void deselectAll();
    void slotShiftSelected(Slot* slot);
    void slotSelected(Slot* slot) override;
    void slotDeselected(Slot* slot) override;
    void slotClicked(Slot* slot) override;
    void slotDoubleClicked(Slot* slot) override;
    void slotDragStarted(Slot* slot, const QPoint& position) override;
    void slotAddClicked(Slot* slot) override;
    // Ends the rename in progress, as confirming it would.
    void endRename();
    // A Move, Copy, Overwrite or Swap from `from` onto `to`, as a drop there runs it.
    void runTransfer(TransferOperation operation, std::size_t from, std::size_t to) override;
    // A preset from outside the pedal (the library) written into the slot, replacing what it
    // holds, as one journaled change (TransfersPlacing.cpp).
    void placePreset(const PresetRef& preset, std::size_t to) override;
    bool mayStartDrag() override;
    // Escape.
    void keyDown(int key);
    // A key pressed on the screen; false when the screen does not take it.
    bool keyPressed(const QKeyEvent& event);
    SlotKeyboard& keyboard() { return keyboard_; }

    // ---- State, for the window and for tests
    const std::set<std::size_t>& selected() const { return selected_; }
    const std::set<std::size_t>& exports() const { return exports_; }
    bool deleting() const { return deleting_; }
    bool importing() const { return importing_; }
    Slot* slot(std::size_t index) const;
    TransfersBackground* body() const { return body_; }
    TransfersTabs* tabs() const { return tabs_; }
    const std::array<QPointer<TransfersTabs>, 8>& strips() const { return strips_; }
    SlotField* editor() const { return editor_; }
    Notice* notice() const { return notice_; }
    ui::Label* statusMessage1() const { return statusMessage1_; }
    ui::Label* statusMessage2() const { return statusMessage2_; }
    ui::ImageView* statusWarning() const { return statusWarning_; }
    QWidget* status() const { return status_; }
    ui::ImageButton* selectAllButton() const { return selectAllButton_; }
    ui::ImageButton* deselectAllButton() const { return deselectAllButton_; }
    ui::ImageButton* cancelButton() const { return cancelButton_; }
    ui::ImageButton* deleteButton() const { return deleteButton_; }
    ui::ImageButton* importButton() const { return importButton_; }
    ui::ImageButton* exportButton() const { return exportButton_; }
    ui::ToggleButton* button20() const { return button20_; }
    ui::ToggleButton* button50() const { return button50_; }
    ui::ToggleButton* button100() const { return button100_; }

  protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

  private:
    friend class SlotKeyboard;
    explicit Transfers(const DeviceRef& device);
    // Every action of the user dismisses the notice of the one before.
    void beginAction();
    void postNotice(const std::string& text);
    // The pedal for an action that must wait for the refresh: none (after saying why) while
    // its presets are being refreshed.
    DeviceRef deviceUnlessRefreshing();
    void alertRefreshing();
    // True when no slot of `indices` holds unsaved edits of the Editor that the operation
    // would replace or erase. Otherwise asks, and on Continue runs `again` with the answer
    // given (TransfersDrafts.cpp).
    bool draftsMayGo(std::vector<std::size_t> indices, std::function<void()> again);
    // What a finished operation reports back. An operation refused because its journal entry
    // could not be written asks whether to go on without it, and on Continue runs `again`.
    PresetTransfers::Completion transferDone(std::function<void()> again);
    void transferEnded(const TransferResult& result, const std::function<void()>& again);
    // Asks, when the result is such a refusal; false otherwise.
    bool askWithoutJournal(const TransferResult& result, std::function<void()> again);
    // Says why an operation was refused before it was sent.
    void transferPosted(bool posted);
    // The user said "Yes" to deleting the slots asked about (or chose to delete them without
    // the journal).
    void deleteConfirmed(const std::vector<std::size_t>& asked, WithoutJournal without);
    void eraseSlots(const std::vector<std::size_t>& doomed, WithoutJournal without);
    void deleteEnded(const TransferResult& result);
    void renameWritten(const QPointer<Slot>& slot, const std::string& name,
                       const TransferResult& result);
    void renameSlot(const QPointer<Slot>& slot, const std::string& name);
    void beginRename(Slot* slot);
    // The shared field's rename ended: confirmed, or discarded with Escape.
    void controlTextDidEndEditing();
    void stage(Slot* slot, const QString& path);
    // Where the status line and the buttons beside it sit at this page size.
    void placeStatusLine(unsigned slotsPerPage);
    void layOutStatusLine(const QString& first, const QString& second, bool warning,
                          bool secondItalic);
    void showStrip(TransfersTabs* strip);
    void pageSizeClicked(unsigned size);
    // Sets every occupied slot's selection flag at once, with one sync at the end.
    void setAllSelected(bool selected);

    PresetTransfers transfers_;
    std::vector<QPointer<Slot>> slots_;
    std::set<std::size_t> selected_;
    std::set<std::size_t> exports_;
    bool deleting_ = false;
    bool importing_ = false;
    unsigned slotSize_ = 100;
    unsigned page_ = 1;
    std::size_t shiftSelectAnchor_ = 0;
    std::size_t shiftSelected_ = 0;
    QPointer<Slot> renaming_;
    QPointer<Shield> shield_;
    std::shared_ptr<void> deleteOperation_;  // while a delete runs
    // Set while many slots change their selection at once: one sync follows.
    bool quiet_ = false;
    // Set while an operation runs again after the question about unsaved edits.
    bool draftsConfirmed_ = false;
    // Set while an operation runs again after the user chose to change the pedal without
    // its journal entry.
    WithoutJournal without_ = WithoutJournal::refuse;

    QPointer<TransfersBackground> body_;
    QPointer<TransfersTabs> tabs_;
    // tabs1001, tabs501, tabs502, tabs201 .. tabs205
    std::array<QPointer<TransfersTabs>, 8> strips_;
    QPointer<SlotField> editor_;
    QPointer<Notice> notice_;
    QPointer<QWidget> status_;
    QPointer<ui::Label> statusMessage1_;
    QPointer<ui::Label> statusMessage2_;
    QPointer<ui::ImageView> statusWarning_;
    QPointer<ui::ImageButton> selectAllButton_;
    QPointer<ui::ImageButton> deselectAllButton_;
    QPointer<ui::ImageButton> cancelButton_;
    QPointer<ui::ImageButton> deleteButton_;
    QPointer<ui::ImageButton> importButton_;
    QPointer<ui::ImageButton> exportButton_;
    QPointer<ui::ToggleButton> button20_;
    QPointer<ui::ToggleButton> button50_;
    QPointer<ui::ToggleButton> button100_;
    QPointer<TransfersUndo> undo_;
    SlotKeyboard keyboard_{*this};
};

}  // namespace harbrix
