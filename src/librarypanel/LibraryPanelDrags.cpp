// Presets dragged out of the panel onto the grid, and slots dropped on the panel.
#include <QApplication>
#include <QMouseEvent>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "librarypanel/LibraryPanel.h"
#include "librarypanel/PanelText.h"
#pragma push_macro("slots")
#undef slots
#include "library/LibraryKeeper.h"
#include "library/PedalLibrary.h"
#pragma pop_macro("slots")
#include "link/Request.h"
#include "transfers/Transfers.h"

namespace harbrix {

using namespace panel_text;

bool LibraryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != results_->viewport()) return false;
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) return false;
            pressed_ = mouse->globalPosition().toPoint();
            pressedRow_ = results_->row(results_->itemAt(mouse->position().toPoint()));
            return false;
        case QEvent::MouseButtonRelease:
            pressedRow_ = -1;
            return false;
        case QEvent::MouseMove: {
            if (pressedRow_ < 0 || !mouse->buttons().testFlag(Qt::LeftButton)) return false;
            const QPoint global = mouse->globalPosition().toPoint();
            if ((global - pressed_).manhattanLength() < QApplication::startDragDistance())
                return false;
            const int row = pressedRow_;
            pressedRow_ = -1;
            return startDrag(row, global);
        }
        default:
            return false;
    }
}

bool LibraryPanel::startDrag(int row, const QPoint& global) {
    if (row < 0 || static_cast<std::size_t>(row) >= found_.size()) return false;
    const Found& chosen = found_[static_cast<std::size_t>(row)];
    const DeviceRef pedal = screen_->device();
    if (!pedal) return false;
    const QString name = shownName(chosen.preset.name);
    if (chosen.preset.model != pedal->name()) {
        say(QStringLiteral("%1 is a %2 preset; this pedal is a %3.")
                .arg(name, text(chosen.preset.model), text(pedal->name())));
        return true;
    }
    const std::size_t takes =
        elementSize(pedal->presetsSchema().stride) * pedal->presetsSchema().parameters;
    auto preset =
        chosen.bytes.size() == takes ? Preset::presetWithSerialized(chosen.bytes) : nullptr;
    if (!preset) {
        say(QStringLiteral("%1 cannot go onto this pedal: the library holds it as %2 bytes.")
                .arg(name)
                .arg(chosen.bytes.size()));
        return true;
    }
    TransfersBackground* grid = screen_->body();
    grid->beginOutsideDrag(preset, grid->mapFromGlobal(global));
    return grid->dragging();
}

void LibraryPanel::slotDropped(std::size_t slot, const QPoint& global) {
    if (!open_ || !rect().contains(mapFromGlobal(global))) return;
    const DeviceRef pedal = screen_->device();
    const PresetRef cached = pedal ? presets(pedal).cached(slot) : nullptr;
    if (!cached || cached->empty()) return;
    const PresetRef saved = cached->savedCopy();
    std::weak_ptr<const QORUARTDevice> weak = pedal;
    QPointer<LibraryPanel> guard(this);
    keeper_->post([guard, weak, slot, saved](Library* library) {
        const auto device = weak.lock();
        if (!library || !device) return;
        auto id = collectFromPedal(*library, *device, slot, *saved);
        if (id) {
            if (auto marked = library->setFavourite(*id, true); !marked)
                id.problem = marked.problem;
        }
        rail(Rails::main(), [guard, id, name = saved->displayName()] {
            if (!guard) return;
            if (!id.problem.empty()) {
                guard->say(QStringLiteral("Not kept: ") + text(id.problem));
                return;
            }
            guard->keepSelected_ = *id;
            guard->nextMessage_ =
                QStringLiteral("%1 is a favourite now; give it tags here.").arg(text(name));
            guard->search();
            guard->tags_->setFocus(Qt::OtherFocusReason);
        });
    });
}
}  // namespace harbrix
