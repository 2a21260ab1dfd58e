// The editor controller: the preset list, selection, saving and the pedal picture.
#include "editor/Editor.h"

// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/JournaledWrites.h"
#pragma pop_macro("slots")
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "editor/EditorView.h"
#include "editor/Light.h"
#include "editor/MIV3Editor.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Log.h"
#include "shell/JournalQuestion.h"
#include "shell/Notice.h"
#include "transfers/PresetTransfers.h"
#include "ui/Alert.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui_Editor.h"

namespace harbrix {

std::unique_ptr<Editor> Editor::controller(std::string_view className, const DeviceRef& device,
                                           ScreenDelegate* delegate) {
    if (className == "MIV3Editor") return std::make_unique<MIV3Editor>(device, delegate);
    if (className == "NAX3Editor") return std::make_unique<NAX3Editor>(device, delegate);
    return nullptr;
}

Editor::Editor(const DeviceRef& device, ScreenDelegate* delegate)
    : Screen(delegate), device_(device), form_(std::make_unique<Ui::EditorScreen>()) {}

Editor::~Editor() = default;

QWidget* Editor::loadView() {
    auto* view = new EditorView;
    form_->setupUi(view);
    return view;
}

void Editor::viewDidLoad() {
    replaceButtons();
    if (const DeviceRef device = this->device())
        form_->pedal->setImageName(
            ui::imageName(ui::images::fill(ui::images::kEditorPedal, {device->name()})));
    editorView()->setKeyHandler([this](int key) { return keyDown(key); });
    table()->setDelegate(this);
    table()->setRowCount(numberOfRows());
    sync();
}

// Each layout button becomes an image button named after its layout image.
void Editor::replaceButtons() {
    if (initialized_) return;
    initialized_ = true;
    const struct {
        QPushButton* old;
        ui::ImageButton** button;
        const char* name;
        void (Editor::*action)();
    } buttons[] = {
        {form_->deleteButton, &deleteButton_, "Delete", &Editor::deletePreset},
        {form_->revertButton, &revertButton_, "Revert", &Editor::revertPreset},
        {form_->undoButton, &undoButton_, "Undo", &Editor::undoPresetChanges},
        {form_->redoButton, &redoButton_, "Redo", &Editor::redoPresetChanges},
        {form_->saveAsButton, &saveAsButton_, "Save As", &Editor::saveAsNewPreset},
        {form_->saveButton, &saveButton_, "Save", &Editor::savePreset},
        {form_->presetUpFootswitch, &presetUpFootswitch_, "Preset Up",
         &Editor::presetUpFootswitchClicked},
        {form_->presetDownFootswitch, &presetDownFootswitch_, "Preset Down",
         &Editor::presetDownFootswitchClicked},
        {form_->effectFootswitch, &effectFootswitch_, "Effect", &Editor::effectFootswitchClicked},
        {form_->navcoder, &navcoder_, "Encoder", nullptr},
    };
    for (const auto& b : buttons) {
        ui::ImageButton* button = ui::ImageButton::replace(b.old);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(QString::fromUtf8(b.name));
        if (b.action != nullptr)
            connect(button, &QAbstractButton::clicked, this,
                    [this, action = b.action] { (this->*action)(); });
        *b.button = button;
    }
}

EditorView* Editor::editorView() const {
    return static_cast<EditorView*>(const_cast<Editor*>(this)->view());
}

EditorPresetsTable* Editor::table() const {
    return form_->table;
}
Light* Editor::presetLoadedLight() const {
    return form_->presetLoadedLight;
}
Light* Editor::bypassLight() const {
    return form_->bypassLight;
}
ui::Label* Editor::oledTitle() const {
    return form_->oledTitle;
}
ui::Label* Editor::oledSubtitle() const {
    return form_->oledSubtitle;
}
QWidget* Editor::simulatorArea() const {
    return form_->simulatorArea;
}
Notice* Editor::notice() const {
    return form_->notice;
}

void Editor::beginAction() {
    if (isViewLoaded()) notice()->dismiss();
}

// ---- The list

std::size_t Editor::numberOfRows() const {
    const DeviceRef device = this->device();
    return device ? (device->presetsSchema().presets & 0xFF) : 0;
}

std::optional<std::size_t> Editor::selectedRow() const {
    return isViewLoaded() ? table()->selectedRow() : std::nullopt;
}

std::shared_ptr<Preset> Editor::selectedPreset() const {
    const auto e = editing();
    return e ? e->preset : nullptr;
}

std::optional<Editor::Editing> Editor::editing() const {
    const DeviceRef device = this->device();
    const auto row = selectedRow();
    if (!device || !row) return std::nullopt;
    auto preset = presets(device).cached(*row);
    if (!preset) return std::nullopt;
    return Editing{device, *row, std::move(preset)};
}

PresetRowState Editor::rowState(std::size_t row) {
    PresetRowState state;
    const DeviceRef device = this->device();
    const auto preset = device ? presets(device).cached(row) : nullptr;
    if (!preset) return state;
    state.known = true;
    state.empty = preset->empty() && !preset->dirty();
    state.title = QString::fromStdString(preset->displayName());
    return state;
}

void Editor::selectPreset(std::size_t index, bool load) {
    view();
    if (!load) selectOnlyOnDevice_ = true;
    table()->selectRow(index);
    selectOnlyOnDevice_ = false;
}

void Editor::reloadPreset(std::size_t index) {
    if (!isViewLoaded()) return;
    table()->redrawRow(index);
    if (selectedRow() == index) sync();
}

bool Editor::selectionShouldChange() {
    const DeviceRef device = this->device();
    if (!device) return false;
    // The user leaves the preset: its unsaved edits go, without a question.
    if (const auto e = editing()) e->preset->revert();
    return true;
}

void Editor::selectionDidChange() {
    beginAction();
    if (const auto e = editing()) {
        e->preset->revert();
        if (const auto last = table()->last()) table()->redrawRow(*last);
        table()->redrawRow(e->row);
        table()->setLast(e->row);
        const bool load = !selectOnlyOnDevice_;
        const std::size_t row = e->row;
        onPedal([row, load](QORUARTDevice& device, QPointer<Editor>) {
            presets(device).select(row, load);
        });
    }
    sync();
}

void Editor::hoveringBegan(EditorPresetsTableCellView* cell) {
    // Rows scrolled away from under a resting pointer may still be marked hovered.
    auto& scrolled = table()->scrolledRows();
    for (auto it = scrolled.begin(); it != scrolled.end();) {
        if (*it == cell->index()) {
            ++it;
            continue;
        }
        if (EditorPresetsTableCellView* row = table()->row(*it)) row->setHovering(false);
        table()->redrawRow(*it);
        it = scrolled.erase(it);
    }
    cell->reload();
}

void Editor::hoveringEnded(EditorPresetsTableCellView* cell) {
    cell->reload();
}

// ---- Footswitches and keys

void Editor::presetUpFootswitchClicked() {
    movePreset(true);
}

void Editor::presetDownFootswitchClicked() {
    movePreset(false);
}

void Editor::movePreset(bool up) {
    beginAction();
    const std::size_t rows = numberOfRows();
    const auto e = editing();
    if (rows == 0 || !e) return;
    const std::size_t target = up ? (e->row + rows - 1) % rows : (e->row + 1) % rows;
    if (!presets(e->device).cached(target)) return;
    table()->selectRow(target);
    table()->scrollRowToVisible(target);
}

bool Editor::keyDown(int key) {
    if (key == Qt::Key_Up) {
        presetUpFootswitchClicked();
        return true;
    }
    if (key == Qt::Key_Down) {
        presetDownFootswitchClicked();
        return true;
    }
    return false;
}

void Editor::effectFootswitchClicked() {
    beginAction();
    if (!device()) return;
    const bool enable = !bypassLight()->on();
    onPedal([enable](QORUARTDevice& device, QPointer<Editor> self) {
        const bool switched = device.control().setEffectEnabled(enable);
        rail(Rails::main(), [self, enable, switched] {
            if (!self) return;
            // A refused switch leaves the lamp as the pedal still is, and says so.
            if (switched)
                self->bypassLight()->setOn(enable);
            else
                self->notice()->post(enable
                                         ? QStringLiteral("The effect could not be switched on.")
                                         : QStringLiteral("The effect could not be switched off."));
        });
    });
}

// ---- Commands

bool Editor::mayChangeSlots(const DeviceRef& device) {
    if (!device) return false;
    if (!presets(device).refreshing()) return true;
    ui::Alert::informLater(view(), QString::fromLatin1(kRefreshingHeadline),
                           QString::fromLatin1(kRefreshingFinePrint));
    return false;
}

void Editor::onPedal(std::function<void(QORUARTDevice&, QPointer<Editor>)> work) {
    const DeviceRef device = this->device();
    if (!device || !device->queue()) return;
    std::weak_ptr<QORUARTDevice> weak = device;
    QPointer<Editor> self(this);
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
                QORUARTDevice& device, QPointer<Editor> self) {
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
    JournalQuestion::askDelete(view(), *device, 1,
                               [self = QPointer<Editor>(this)](WithoutJournal without) {
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
    const auto ended = [self = QPointer<Editor>(this), slot](const TransferResult& result) {
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

void Editor::revertPreset() {
    beginAction();
    const auto e = editing();
    if (!e) return;
    e->preset->revert();
    reloadPreset(e->row);
    revertButton_->setEnabled(false);
    saveButton_->setEnabled(false);
    sync();
}

void Editor::undoPresetChanges() {
    beginAction();
    const auto e = editing();
    if (!e) return;
    e->preset->undo();
    table()->redrawRow(e->row);
    sync();
}

void Editor::redoPresetChanges() {
    beginAction();
    const auto e = editing();
    if (!e) return;
    e->preset->redo();
    table()->redrawRow(e->row);
    sync();
}

bool Editor::canUndo() const {
    const auto preset = selectedPreset();
    return preset && preset->canUndo();
}

bool Editor::canRedo() const {
    const auto preset = selectedPreset();
    return preset && preset->canRedo();
}

bool Editor::validateCommand(Command command) {
    if (!isViewLoaded()) return false;
    switch (command) {
        case Command::undo:
            return canUndo();
        case Command::redo:
            return canRedo();
        case Command::save:
            return saveButton_->isEnabled();
        case Command::saveAs:
            return saveAsButton_->isEnabled();
    }
    return false;
}

void Editor::performCommand(Command command) {
    switch (command) {
        case Command::undo:
            undoPresetChanges();
            break;
        case Command::redo:
            redoPresetChanges();
            break;
        case Command::save:
            savePreset();
            break;
        case Command::saveAs:
            saveAsNewPreset();
            break;
    }
}

void Editor::sync() {
    if (!isViewLoaded()) return;
    const auto e = editing();
    deleteButton_->setEnabled(e && !e->preset->empty());
    saveButton_->setEnabled(e && e->preset->dirty());
}

}  // namespace harbrix
