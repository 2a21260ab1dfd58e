// Drag and drop between slots, run on the application's own events.
#include "transfers/TransfersBackground.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

#include "transfers/DragImage.h"
#include "ui/Geometry.h"

namespace harbrix {
namespace {

QString shownName(const PresetRef& preset) {
    return preset ? QString::fromStdString(preset->displayName()) : QString();
}

// The modifier keys and their flags.
constexpr std::pair<int, Qt::KeyboardModifier> kModifierKeys[] = {
    {Qt::Key_Alt, Qt::AltModifier},
    {Qt::Key_Shift, Qt::ShiftModifier},
    {Qt::Key_Control, Qt::ControlModifier},
    {Qt::Key_Meta, Qt::MetaModifier},
};

// The modifier keys held once this key event has happened: the event's own flags do not
// always count the modifier key being pressed or released.
Qt::KeyboardModifiers heldAfter(const QKeyEvent& event) {
    Qt::KeyboardModifiers held = event.modifiers();
    for (const auto& [key, flag] : kModifierKeys)
        if (event.key() == key) held.setFlag(flag, event.type() == QEvent::KeyPress);
    return held;
}

}  // namespace

TransfersBackground::TransfersBackground(TransfersBackgroundDelegate* delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
    setAttribute(Qt::WA_TranslucentBackground);
}

TransfersBackground::~TransfersBackground() {
    // The picture lives on the window, which outlives this view.
    qApp->removeEventFilter(this);
    delete overlay_;
}

void TransfersBackground::beginDragSession(Slot* slot, const QPoint& pointer) {
    if (dragging_ || slot == nullptr || !delegate_->mayStartDrag()) return;
    if (!slot->occupied()) return;
    source_ = slot;
    // The pointer pressed on it; from now on only a target shows that the drag is over it.
    slot->setHovering(false);
    beginDragging(pointer);
}

void TransfersBackground::beginOutsideDrag(const PresetRef& preset, const QPoint& pointer) {
    if (dragging_ || !preset || !delegate_->mayStartDrag()) return;
    outside_ = preset;
    beginDragging(pointer);
}

void TransfersBackground::beginDragging(const QPoint& pointer) {
    dragging_ = true;
    destination_ = nullptr;
    pictures_.clear();
    imageSuffix_.clear();
    imageName_.clear();
    if (!overlay_) overlay_ = new DragOverlay(window());
    pointer_ = pointer;
    modifiers_ = QApplication::keyboardModifiers();
    // The drag starts over its own slot: the blank picture.
    showDragImage(QStringLiteral("blank"), QString());
    // Every mouse and key event reaches the application first: the drag follows them
    // wherever in the window they are delivered.
    qApp->installEventFilter(this);
}

void TransfersBackground::endDrag() {
    if (!dragging_) return;
    dragging_ = false;
    qApp->removeEventFilter(this);
    source_ = nullptr;
    outside_ = nullptr;
    leaveTarget();
    if (overlay_) overlay_->hide();
    imageSuffix_.clear();
    imageName_.clear();
}

bool TransfersBackground::eventFilter(QObject* watched, QEvent* event) {
    if (!dragging_) return false;
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            // The window hands each mouse event on to a widget; that is the one to follow.
            if (!watched->isWidgetType()) return false;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pointer = mapFromGlobal(mouse->globalPosition().toPoint());
            if (event->type() == QEvent::MouseMove) {
                // A move without the button: its release went elsewhere.
                if (!mouse->buttons().testFlag(Qt::LeftButton)) {
                    endDrag();
                } else {
                    draggingUpdated(pointer, mouse->modifiers());
                }
            } else if (mouse->button() == Qt::LeftButton) {
                draggingUpdated(pointer, mouse->modifiers());
                drop();
            }
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (watched->isWidgetType()) endDrag();
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape) {
                if (event->type() == QEvent::KeyPress) endDrag();
                return true;
            }
            draggingUpdated(pointer_, heldAfter(*key));
            return false;
        }
        default:
            return false;
    }
}

void TransfersBackground::draggingUpdated(const QPoint& pointer, Qt::KeyboardModifiers modifiers) {
    // An event handed on from widget to parent comes by more than once.
    if (!dragging_ || (!source_ && !outside_) || (pointer == pointer_ && modifiers == modifiers_))
        return;
    pointer_ = pointer;
    modifiers_ = modifiers;
    // A preset from outside has no slot of its own in the grid.
    constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    const std::size_t source = source_ ? source_->index() : kNoSlot;
    const QString name = shownName(source_ ? delegate_->preset(source) : outside_);
    if (!rect().contains(pointer)) {
        draggingExited();
        return;
    }
    Slot* target = nullptr;
    bool overSource = false;
    for (Slot* slot : delegate_->visibleSlots()) {
        const QRectF frame = ui::geometry::grown(QRectF(slot->geometry()), kTargetMargin);
        if (!frame.contains(pointer)) continue;
        if (slot->index() == source) {
            overSource = true;
            leaveTarget();
            continue;
        }
        // A slot whose contents are not known is never a target.
        if (!slot->known()) continue;
        target = slot;
        break;
    }
    if (target == nullptr) {
        if (overSource) {
            showDragImage(QStringLiteral("blank"), QString());
            return;
        }
        leaveTarget();
        showDragImage(QStringLiteral("move"), name);
        return;
    }
    const bool newTarget = hovered_ != target;
    if (newTarget) unhover();
    hovered_ = target;
    destination_ = target;
    target->setHovering(true);
    // Option alone: Alt and no other modifier (the keypad flag aside).
    const bool option = (modifiers & ~Qt::KeypadModifier) == Qt::AltModifier;
    // A preset from outside the grid has no slot to leave: it is only ever copied.
    const TransferOperation operation =
        outside_ ? (target->empty() ? TransferOperation::copy : TransferOperation::overwrite)
                 : dropOperation(target->empty(), option);
    const bool changed = operation != operation_;
    setOperation(operation);
    // The target's look depends on the offer: a move within the same target changes nothing.
    if (newTarget || changed) target->sync();
    showDragImage(DragImage::suffix(operation), name);
}

void TransfersBackground::draggingExited() {
    leaveTarget();
    showDragImage(QStringLiteral("blank"), QString());
}

void TransfersBackground::drop() {
    const QPointer<Slot> source = source_;
    const PresetRef outside = outside_;
    const QPointer<Slot> destination = destination_;
    const TransferOperation operation = operation_;
    const QPoint global = mapToGlobal(pointer_);
    endDrag();
    if (destination && operation != TransferOperation::none) {
        if (source) delegate_->runTransfer(operation, source->index(), destination->index());
        if (outside) delegate_->placePreset(outside, destination->index());
    } else if (source && !destination && outsideDrop_) {
        outsideDrop_(source->index(), global);
    }
}

void TransfersBackground::leaveTarget() {
    destination_ = nullptr;
    setOperation(TransferOperation::none);
    unhover();
}

void TransfersBackground::setOperation(TransferOperation operation) {
    if (operation == operation_) return;
    operation_ = operation;
    delegate_->dragOperationChanged(operation);
}

void TransfersBackground::unhover() {
    if (!hovered_) return;
    Slot* slot = hovered_;
    hovered_ = nullptr;
    slot->setHovering(false);
    slot->sync();
}

void TransfersBackground::showDragImage(const QString& suffix, const QString& name) {
    imageSuffix_ = suffix;
    imageName_ = name;
    if (!overlay_) return;
    auto picture = pictures_.find({suffix, name});
    if (picture == pictures_.end())
        picture = pictures_
                      .emplace(std::pair{suffix, name},
                               DragImage::image(suffix, name, devicePixelRatioF()))
                      .first;
    overlay_->show(picture->second, suffix, mapTo(window(), pointer_));
}

}  // namespace harbrix
