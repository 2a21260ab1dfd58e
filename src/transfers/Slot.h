// One preset slot of the Transfers screen: its number, its preset's name, a staged file and
// what it shows about each. It asks its delegate (the controller) for the pedal's cached
// preset, the page it is on and the operation a drag offers, and reports clicks, double
// clicks, drag starts and the buttons on it.
//
// A slot whose contents the screen does not know (not read yet, or its read failed) is
// neither empty nor occupied: it is drawn as unknown, cannot be selected, dragged, dropped
// on or staged on, and is counted nowhere.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <optional>

#include "transfers/PresetTransfers.h"
#include "transfers/TransferOperation.h"
#include "ui/HotSpotButton.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {

class Slot;

// A slot cut or copied from the keyboard, waiting to be pasted onto another.
enum class SlotMark { none, cut, copy };

class SlotDelegate {
  public:
    virtual ~SlotDelegate() = default;
    // The pedal's cached preset at the index; none when it is not known.
    virtual PresetRef preset(std::size_t index) const = 0;
    virtual unsigned slotSize() const = 0;
    // The slot's frame in the slot area; an empty rectangle when it is not on the page shown.
    virtual QRect frameForSlot(std::size_t index) const = 0;
    virtual bool canSelectSlots() const = 0;
    // The operation the running drag offers.
    virtual TransferOperation offeredOperation() const = 0;

    virtual void slotSelected(Slot* slot) = 0;
    virtual void slotDeselected(Slot* slot) = 0;
    virtual void slotClicked(Slot* slot) = 0;
    virtual void slotDoubleClicked(Slot* slot) = 0;
    // The pointer moved far enough with the button down; `position` in the slot's coordinates.
    virtual void slotDragStarted(Slot* slot, const QPoint& position) = 0;
    virtual void slotAddClicked(Slot* slot) = 0;
    virtual void slotExportCleared(Slot* slot) = 0;
};

class Slot : public QWidget {
    Q_OBJECT
  public:
    Slot(std::size_t index, SlotDelegate* delegate, QWidget* parent = nullptr);

    std::size_t index() const { return index_; }
    unsigned number() const { return static_cast<unsigned>(index_ + 1); }
    PresetRef preset() const { return delegate_->preset(index_); }
    bool known() const { return preset() != nullptr; }
    bool empty() const;
    bool occupied() const;

    bool selected() const { return selected_; }
    // Only an occupied slot can be selected; tells the delegate and redraws.
    void setSelected(bool selected);
    // Clears the flag without telling anyone (the controller clears many at once).
    void clearSelected() { selected_ = false; }
    bool hovering() const { return hovering_; }
    void setHovering(bool hovering);
    const PresetRef& exportPreset() const { return export_; }
    void setExport(PresetRef preset);
    bool editing() const { return editing_; }
    void setEditing(bool editing);
    // The name shown while a rename is on its way to the pedal; none to show the cache's.
    void setPendingName(std::optional<QString> name);

    SlotMark mark() const { return mark_; }
    // Drawn like the source of a drag while marked.
    void setMark(SlotMark mark);

    // Shows the slot as its state, the page and the cache say.
    void sync();

    // The image its background shows now ("TRANSFERS_slot_20_full").
    QString backgroundImage() const { return background_; }
    QString surroundImage() const { return surround_; }
    QString shownName() const;
    QString shownExportName() const;
    QString shownNumber() const;
    // Its parts, for the controller (the rename field takes the name field's place) and tests.
    ui::Label* nameField() const { return nameField_; }
    ui::Label* numberField() const { return numberField_; }
    ui::ImageButton* addButton() const { return addButton_; }
    ui::ImageButton* removeButton() const { return removeButton_; }
    ui::ImageView* warning() const { return warning_; }
    ui::HotSpotButton* clickArea() const { return clickArea_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The keyboard's slot draws the focus ring.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void selectionButtonClicked();
    void slotExportXButtonClicked();
    void layOut();
    // The state part of the background image's name.
    QString state(const PresetRef& preset) const;

    std::size_t index_;
    SlotDelegate* delegate_;
    bool selected_ = false;
    bool hovering_ = false;
    bool editing_ = false;
    SlotMark mark_ = SlotMark::none;
    PresetRef export_;
    std::optional<QString> pendingName_;
    unsigned laidOutFor_ = 0;
    QString background_;
    QString surround_;
    int numberWidth_ = 0;

    QPointer<ui::Label> numberField_;
    QPointer<ui::Label> nameField_;
    QPointer<ui::Label> exportNameField_;
    QPointer<ui::ImageView> warning_;
    QPointer<ui::ImageButton> addButton_;
    QPointer<ui::ImageButton> removeButton_;
    QPointer<ui::HotSpotButton> clickArea_;
};

// "TRANSFERS_slot_20_full" and the other slot images.
QString slotImage(unsigned slotsPerPage, const QString& state);

}  // namespace harbrix
