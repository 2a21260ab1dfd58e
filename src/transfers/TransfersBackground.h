// The view that holds the slots and runs drag and drop between them. A drag carries the
// source slot's index; while it moves, the slot under the pointer and the Option (Alt) key
// choose the operation a drop would run (Move or Copy onto an empty slot, Swap or Overwrite
// onto an occupied one), shown on the target slot, on the drag image and in the status line.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

#include "transfers/Slot.h"
#include "transfers/TransferOperation.h"

class QDrag;
class QMimeData;

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
};

class TransfersBackground : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kDragType = "com.qor.wharvel.transfers.preset-index-string";
    // How far the drag image hangs below the pointer.
    static constexpr int kImageDrop = 10;
    // A slot counts as under the pointer this far outside its frame.
    static constexpr int kTargetMargin = 2;

    explicit TransfersBackground(TransfersBackgroundDelegate* delegate, QWidget* parent = nullptr);

    // Starts a drag of the slot's preset from where the pointer is.
    void beginDragSession(Slot* slot);
    // How a started drag is run: QDrag::exec by default. Tests hand it on to themselves and
    // drive the drop target's handlers with the drag's data.
    using DragRunner = std::function<void(QDrag* drag)>;
    static void setDragRunner(DragRunner runner);

    TransferOperation operation() const { return operation_; }
    Slot* source() const { return source_; }
    Slot* destination() const { return destination_; }
    Slot* hovered() const { return hovered_; }
    // The drag image shown now: its suffix ("swap") and the name on it.
    QString dragImageSuffix() const { return imageSuffix_; }
    QString dragImageName() const { return imageName_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The drag's source index; none for data not of our type.
    static std::optional<std::size_t> sourceIndex(const QMimeData* data);
    void draggingUpdated(const QPoint& pointer, Qt::KeyboardModifiers modifiers,
                         std::size_t source);
    void draggingExited();
    void setOperation(TransferOperation operation);
    void unhover();
    void replaceDragImage(const QString& suffix, const QString& name);

    TransfersBackgroundDelegate* delegate_;
    QPointer<Slot> source_;
    QPointer<Slot> destination_;
    QPointer<Slot> hovered_;
    TransferOperation operation_ = TransferOperation::none;
    QPointer<QDrag> drag_;
    QString imageSuffix_;
    QString imageName_;
};

}  // namespace harbrix
