// Drag and drop between slots.
#include "transfers/TransfersBackground.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>

#include "transfers/DragImage.h"
#include "ui/Geometry.h"

namespace harbrix {
namespace {

TransfersBackground::DragRunner& dragRunner() {
    static TransfersBackground::DragRunner runner;
    return runner;
}

QString shownName(const PresetRef& preset) {
    return preset ? QString::fromStdString(preset->displayName()) : QString();
}

}  // namespace

TransfersBackground::TransfersBackground(TransfersBackgroundDelegate* delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
}

void TransfersBackground::setDragRunner(DragRunner runner) {
    dragRunner() = std::move(runner);
}

void TransfersBackground::beginDragSession(Slot* slot) {
    if (slot == nullptr || !delegate_->mayStartDrag()) return;
    if (!slot->occupied()) return;
    source_ = slot;
    destination_ = nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kDragType), QByteArray::number(qulonglong(slot->index())));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap blank = DragImage::blank(devicePixelRatioF());
    drag->setPixmap(blank);
    // Centred on the pointer, a little below it.
    drag->setHotSpot(
        QPoint(static_cast<int>(blank.deviceIndependentSize().width() / 2), -kImageDrop));
    drag_ = drag;
    imageSuffix_ = QStringLiteral("blank");
    imageName_.clear();
    if (dragRunner()) {
        dragRunner()(drag);
        return;
    }
    drag->exec(Qt::MoveAction);
    // The drag is over, dropped or not.
    source_ = nullptr;
    if (drag_) drag_->deleteLater();
}

std::optional<std::size_t> TransfersBackground::sourceIndex(const QMimeData* data) {
    if (data == nullptr || !data->hasFormat(QString::fromLatin1(kDragType))) return std::nullopt;
    bool ok = false;
    const qulonglong index = data->data(QString::fromLatin1(kDragType)).toULongLong(&ok);
    if (!ok || index > 255) return std::nullopt;
    return static_cast<std::size_t>(index);
}

void TransfersBackground::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void TransfersBackground::dragMoveEvent(QDragMoveEvent* event) {
    // Only our own kind of drag is taken.
    const auto source = sourceIndex(event->mimeData());
    if (!source) {
        event->ignore();
        return;
    }
    // Always "generic": whether a drop does anything is decided when it happens.
    event->setDropAction(Qt::MoveAction);
    event->accept();
    draggingUpdated(event->position().toPoint(), event->modifiers(), *source);
}

void TransfersBackground::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    draggingExited();
}

void TransfersBackground::draggingUpdated(const QPoint& pointer, Qt::KeyboardModifiers modifiers,
                                          std::size_t source) {
    const QString name = shownName(delegate_->preset(source));
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
            destination_ = nullptr;
            setOperation(TransferOperation::none);
            unhover();
            continue;
        }
        // A slot whose contents are not known is never a target.
        if (!slot->known()) continue;
        target = slot;
        break;
    }
    if (target == nullptr) {
        if (overSource) {
            replaceDragImage(QStringLiteral("blank"), QString());
            return;
        }
        destination_ = nullptr;
        setOperation(TransferOperation::none);
        unhover();
        replaceDragImage(QStringLiteral("move"), name);
        return;
    }
    if (hovered_ != target) unhover();
    hovered_ = target;
    destination_ = target;
    target->setHovering(true);
    // Option alone: Alt and no other modifier (the keypad flag aside).
    const bool option = (modifiers & ~Qt::KeypadModifier) == Qt::AltModifier;
    TransferOperation operation;
    if (target->empty()) {
        operation = option ? TransferOperation::copy : TransferOperation::move;
    } else {
        operation = option ? TransferOperation::overwrite : TransferOperation::swap;
    }
    setOperation(operation);
    target->sync();
    replaceDragImage(DragImage::suffix(operation), name);
}

void TransfersBackground::draggingExited() {
    destination_ = nullptr;
    setOperation(TransferOperation::none);
    unhover();
    replaceDragImage(QStringLiteral("blank"), QString());
}

void TransfersBackground::dropEvent(QDropEvent* event) {
    const QPointer<Slot> source = source_;
    const QPointer<Slot> destination = destination_;
    const TransferOperation operation = operation_;
    source_ = nullptr;
    destination_ = nullptr;
    setOperation(TransferOperation::none);
    unhover();
    const bool runs = source && destination && operation != TransferOperation::none;
    if (!runs) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    delegate_->runTransfer(operation, source->index(), destination->index());
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

void TransfersBackground::replaceDragImage(const QString& suffix, const QString& name) {
    if (suffix == imageSuffix_ && name == imageName_) return;
    imageSuffix_ = suffix;
    imageName_ = name;
    // Platforms that draw the picture themselves pick up the new one as the pointer moves.
    if (drag_) drag_->setPixmap(DragImage::image(suffix, name, devicePixelRatioF()));
}

}  // namespace harbrix
