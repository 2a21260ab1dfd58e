// Saving and deleting presets: Save, Save As and Delete write the pedal's slots on its queue,
// each as one journal entry, and come back on the main thread to an editor that may be gone.
#include "editor/Editor.h"

// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/JournaledWrites.h"
#pragma pop_macro("slots")
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "editor/EditorPresetsTable.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Log.h"
#include "shell/JournalQuestion.h"
#include "shell/Notice.h"
#include "transfers/PresetTransfers.h"
#include "ui/Alert.h"

namespace harbrix {
bool Editor::mayChangeSlots(const DeviceRef& device) {
    if (!device) return false;
    if (!presets(device).refreshing()) return true;
    ui::Alert::informLater(view(), QString::fromLatin1(kRefreshingHeadline),
                           QString::fromLatin1(kRefreshingFinePrint));
    return false;
}

void Editor::onPedal(std::function<void(QORUARTDevice&, ScreenGuard<Editor>)> work) {
    const DeviceRef device = this->device();
    if (!device || !device->queue()) return;
    std::weak_ptr<QORUARTDevice> weak = device;
    const auto self = guarded(this);
    rail(device->queue(), [weak, self, work = std::move(work)] {
        if (const DeviceRef pedal = weak.lock()) work(*pedal, self);
    });
}

void Editor::writePreset(std::size_t source, std::size_t target,
                         std::function<void(Editor&, bool written)> done, WithoutJournal without) {
    const DeviceRef device = this->device();
    const auto edited = device ? presets(device).cached(source) : nullptr;
    if (!edited) return;
    // The bytes as they are now: edits go on on this thread while the pedal is written.
    const auto snapshot = Preset::presetWithSerialized(edited->serialized());
    // One journal entry, so Edit > Undo on the Transfers screen or `harbrixctl undo` can put
    // back what the slot held.
    const std::string operation = source == target ? "Save" : "Save As";
    onPedal([snapshot, edited, source, target, operation, without, done = std::move(done)](
                QORUARTDevice& device, ScreenGuard<Editor> self) {
        // A written preset is cached as a fresh, clean copy of these bytes.
        const auto result = JournaledWrites::run(
            device, operation, {{target, snapshot->serialized()}}, false, {}, without);
        // Nothing was sent (the slot was changed on the pedal, or the journal cannot be
        // written): the notice says why, or the user is asked whether to save without Undo.
        rail(Rails::main(), [self, written = result.succeeded(), refusal = result.refusal, done,
                             edited, snapshot, source, target] {
            if (!self) return;
            const bool asked =
                JournalQuestion::ask(self->view(), refusal, [self, source, target, done] {
                    if (self && self->mayChangeSlots(self->device()))
                        self->writePreset(source, target, done, WithoutJournal::proceed);
                });
            if (asked) return;
            if (refusal) {
                self->notice()->post(QString::fromStdString(refusal->message()));
                return;
            }
            // Taken before `done`, which leaves Save As's source slot as it was saved.
            const Bytes editedNow = edited->serialized();
            done(*self, written);
            if (self && written)
                self->keepEditsMadeWhileSaving(editedNow, snapshot->serialized(), target);
        });
    });
}

// The clean copy the write cached has none of what was changed after the click on Save:
// those edits stay, unsaved, over what was saved.
void Editor::keepEditsMadeWhileSaving(const Bytes& edited, const Bytes& saved, std::size_t target) {
    const DeviceRef device = this->device();
    const auto written = device ? presets(device).cached(target) : nullptr;
    if (!written || written->clean() != saved || edited == saved) return;
    presets(device).setCached(written->keepingEdits(edited, saved), target);
    reloadPreset(target);
    sync();
}

void Editor::savePreset() {
    beginAction();
    if (!mayChangeSlots(device())) return;
    if (const auto row = selectedRow()) savePreset(*row, {});
}

bool Editor::savePreset(std::size_t row, std::function<void(bool saved)> saved) {
    const DeviceRef device = this->device();
    if (!mayChangeSlots(device) || !presets(device).cached(row)) return false;
    logFormat("save (in place to %u)", static_cast<unsigned>(row + 1));
    writePreset(row, row, [row, saved = std::move(saved)](Editor& editor, bool written) {
        if (!written) {
            editor.notice()->post(presetLabel(row) +
                                  QStringLiteral(" could not be saved; your changes are kept."));
        } else {
            editor.reloadPreset(row);
            editor.sync();
        }
        if (saved) saved(written);
    });
    return true;
}

std::vector<std::size_t> Editor::unsavedPresets() {
    std::vector<std::size_t> rows;
    const DeviceRef device = this->device();
    if (!device) return rows;
    const auto selected = selectedRow();
    for (std::size_t row = 0; row < numberOfRows(); ++row) {
        const auto preset = presets(device).cached(row);
        if (!preset || !preset->dirty()) continue;
        rows.insert(row == selected ? rows.begin() : rows.end(), row);
    }
    return rows;
}

void Editor::saveAsNewPreset() {
    beginAction();
    const DeviceRef device = this->device();
    if (!mayChangeSlots(device)) return;
    const auto e = editing();
    const std::size_t rows = numberOfRows();
    if (!e || rows == 0) return;
    // The lowest empty slot but this one. A slot not read yet is never taken for empty, nor
    // one whose (empty) preset has unsaved edits of its own.
    std::optional<std::size_t> target;
    for (std::size_t slot = 0; slot < rows && !target; ++slot) {
        if (slot == e->row) continue;
        const auto preset = presets(device).cached(slot);
        if (preset && preset->empty() && !preset->dirty()) target = slot;
    }
    if (!target) {
        notice()->post(QStringLiteral("No empty slot for Save As."));
        return;
    }
    logFormat("save as preset %u", static_cast<unsigned>(*target + 1));
    const std::size_t source = e->row;
    const std::size_t slot = *target;
    writePreset(source, slot, [source, slot](Editor& editor, bool written) {
        if (!written) {
            editor.notice()->post(presetLabel(source) +
                                  QStringLiteral(" could not be saved; your changes are kept."));
            return;
        }
        const DeviceRef device = editor.device();
        if (const auto left = device ? presets(device).cached(source) : nullptr) left->revert();
        editor.reloadPreset(source);
        editor.reloadPreset(slot);
        editor.table()->selectRow(slot);
        editor.table()->scrollRowToVisible(slot);
        editor.sync();
        // After the selection, which clears the notice of an earlier action.
        editor.notice()->post(QStringLiteral("Saved as %1.").arg(presetLabel(slot)));
    });
}

void Editor::deletePreset() {
    beginAction();
    const DeviceRef device = this->device();
    if (!device) return;
    JournalQuestion::askDelete(view(), *device, 1, [self = guarded(this)](WithoutJournal without) {
        if (self) self->deleteConfirmed(without);
    });
}

void Editor::deleteConfirmed(WithoutJournal without) {
    // The answer may come after the pedal has gone.
    const DeviceRef device = this->device();
    if (!mayChangeSlots(device)) return;
    const auto row = selectedRow();
    if (!row) return;
    const std::size_t slot = *row;
    // Journaled as the Transfers screen's delete is, so Edit > Undo there (or `harbrixctl
    // undo`) puts the preset back. The pedal's announcement redraws the row.
    PresetTransfers transfers(device);
    const auto ended = [self = guarded(this), slot](const TransferResult& result) {
        if (!self || result.succeeded()) return;
        const bool asked = JournalQuestion::ask(self->view(), result.refusal, [self] {
            if (self) self->deleteConfirmed(WithoutJournal::proceed);
        });
        if (asked) return;
        // Refused before anything was sent: the refusal says why.
        self->notice()->post(result.failed.empty()
                                 ? QString::fromStdString(result.notice)
                                 : presetLabel(slot) + QStringLiteral(" could not be deleted."));
    };
    if (!transfers.erase({slot}, {}, ended, without) && !transfers.refusal().empty())
        notice()->post(QString::fromStdString(transfers.refusal()));
}

}  // namespace harbrix
