// The view that holds the slots and runs drag and drop between them, inside the window.
// Pressing on an occupied slot and moving the pointer starts a drag of its preset; while the
// pointer moves, the slot under it and the Option (Alt) key choose the operation a drop would
// run (Move or Copy onto an empty slot, Swap or Overwrite onto an occupied one), shown on the
// target slot, on the drag picture that follows the pointer and in the status line. Pressing
// or releasing Option while the pointer rests changes the offer at once. Releasing the button
// drops; Escape, or the pedal leaving, ends the drag with nothing run.
//
// Nothing here waits in a nested event loop: the drag lives between the application's own
// mouse and key events, which the view watches while it runs.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "transfers/DragOverlay.h"
#include "transfers/Slot.h"
#include "transfers/TransferOperation.h"

namespace harbrix {

class TransfersBackgroundDelegate {
  public:
    virtual ~TransfersBackgroundDelegate() = default;
    // Whether a drag may start now: false without a pedal, and false (after saying why) while
    // the pedal's presets are being refreshed.
    virtual bool mayStartDrag() = 0;
    virtual std::vector<Slot*> visibleSlots() const = 0;
    virtual PresetRef preset(std::size_t index) const = 0;
    virtual void dragOperationChanged(TransferOperation operation) = 0;
    // A drop: the operation between the two slots.
    virtual void runTransfer(TransferOperation operation, std::size_t from, std::size_t to) = 0;
    // A drop of a preset from outside the grid onto a slot (a copy, or an overwrite).
    virtual void placePreset(const PresetRef& /*preset*/, std::size_t /*to*/) {}
};

class TransfersBackground : public QWidget {
    Q_OBJECT
  public:
    // A slot counts as under the pointer this far outside its frame.
    static constexpr int kTargetMargin = 2;

    explicit TransfersBackground(TransfersBackgroundDelegate* delegate, QWidget* parent = nullptr);
    ~TransfersBackground() override;

    // Starts a drag of the slot's preset with the pointer at `pointer` (this view's
    // coordinates) and the button held down.
    void beginDragSession(Slot* slot, const QPoint& pointer);
    // Starts a drag of a preset from outside the grid (the preset library) with the pointer
    // at `pointer` and the button held down: onto an empty slot it offers Copy, onto an
    // occupied one Overwrite.
    void beginOutsideDrag(const PresetRef& preset, const QPoint& pointer);
    // Told of a slot's preset dropped outside the grid, with the pointer's global position.
    using OutsideDrop = std::function<void(std::size_t from, const QPoint& global)>;
    void setOutsideDrop(OutsideDrop dropped) { outsideDrop_ = std::move(dropped); }
    // Ends a running drag without a drop.
    void endDrag();
    bool dragging() const { return dragging_; }

    TransferOperation operation() const { return operation_; }
    Slot* source() const { return source_; }
    Slot* destination() const { return destination_; }
    Slot* hovered() const { return hovered_; }
    // The drag picture shown now: its suffix ("swap") and the name on it.
    QString dragImageSuffix() const { return imageSuffix_; }
    QString dragImageName() const { return imageName_; }
    DragOverlay* overlay() const { return overlay_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void beginDragging(const QPoint& pointer);
    void draggingUpdated(const QPoint& pointer, Qt::KeyboardModifiers modifiers);
    void draggingExited();
    void drop();
    // Clears the target, the offer and the hover.
    void leaveTarget();
    void setOperation(TransferOperation operation);
    void unhover();
    void showDragImage(const QString& suffix, const QString& name);

    TransfersBackgroundDelegate* delegate_;
    bool dragging_ = false;
    QPointer<Slot> source_;
    PresetRef outside_;  // the preset dragged in from outside the grid
    OutsideDrop outsideDrop_;
    QPointer<Slot> destination_;
    QPointer<Slot> hovered_;
    TransferOperation operation_ = TransferOperation::none;
    QPoint pointer_;
    Qt::KeyboardModifiers modifiers_;
    QString imageSuffix_;
    QString imageName_;
    QPointer<DragOverlay> overlay_;
    // The pictures of this drag, by suffix and name: made once each.
    std::map<std::pair<QString, QString>, QPixmap> pictures_;
};

}  // namespace harbrix
