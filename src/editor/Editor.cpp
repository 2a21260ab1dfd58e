// The editor controller: the preset list, selection, the pedal picture and the edit
// history; saving and deleting are in EditorSaving.cpp.
#include "editor/Editor.h"

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "editor/EditorView.h"
#include "editor/Light.h"
#include "editor/MIV3Editor.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "shell/Notice.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui_Editor.h"

namespace harbrix {

std::unique_ptr<Editor> Editor::controller(std::string_view className, const DeviceRef& device) {
    if (className == "MIV3Editor") return std::make_unique<MIV3Editor>(device);
    if (className == "NAX3Editor") return std::make_unique<NAX3Editor>(device);
    return nullptr;
}

Editor::Editor(const DeviceRef& device)
    : Screen(device), form_(std::make_unique<Ui::EditorScreen>()) {}

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
    editorView()->setFocusFrame(table());
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
        // Tab reaches them; a click leaves the keyboard with the preset list.
        button->setFocusPolicy(Qt::TabFocus);
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
        onPedal([row, load](QORUARTDevice& device, ScreenGuard<Editor>) {
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
    onPedal([enable](QORUARTDevice& device, ScreenGuard<Editor> self) {
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
        case Command::cut:
        case Command::copy:
        case Command::paste:
            break;
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
        case Command::cut:
        case Command::copy:
        case Command::paste:
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
