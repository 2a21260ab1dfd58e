// The controller of the Editor screen: the list of the pedal's preset slots, the picture of
// the pedal with its footswitches, lamps and display, and the commands that save, revert,
// undo, redo and delete. The selected row is the preset being edited; edits change only
// the device's cached copy until a save writes the whole preset into a slot.
//
// Selections made by the user discard the unsaved edits of the preset being left; those
// made by the program (footswitches, arrow keys, Save As, following the pedal) keep them.
// Every device operation runs on the pedal's queue and comes back on the main thread to an
// editor that may be gone by then.
#pragma once

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "devices/ChangeRefusal.h"
#include "editor/EditorPresetsTable.h"
#include "platform/Bytes.h"
#include "shell/Screen.h"

namespace Ui {
class EditorScreen;
}

namespace harbrix {

class EditorView;
class Light;
class Notice;
class Preset;

namespace ui {
class ImageButton;
class ImageView;
class Label;
}  // namespace ui

class Editor : public QObject, public Screen, public EditorPresetsTableDelegate {
    Q_OBJECT
  public:
    // The editor of that class ("MIV3Editor", "NAX3Editor"); none for another name.
    static std::unique_ptr<Editor> controller(std::string_view className, const DeviceRef& device);

    explicit Editor(const DeviceRef& device);
    ~Editor() override;

    Kind kind() const override { return Kind::editor; }
    QString className() const override { return QStringLiteral("Editor"); }

    // ---- The list
    std::size_t numberOfRows() const;
    std::optional<std::size_t> selectedRow() const;
    // The cached preset of the selected row, or none.
    std::shared_ptr<Preset> selectedPreset() const;
    // A selection by the program: the pedal is switched to the slot, and loaded with it too
    // when `load` is true.
    void selectPreset(std::size_t index, bool load) override;
    void selectPreset(std::size_t index) { selectPreset(index, false); }
    // Redraws the row; for the selected row the screen shows the slot's preset again.
    void reloadPreset(std::size_t index) override;

    // ---- Commands
    void savePreset();
    bool savePreset(std::size_t row, std::function<void(bool saved)> saved) override;
    std::vector<std::size_t> unsavedPresets() override;
    void saveAsNewPreset();
    void deletePreset();
    void revertPreset();
    void undoPresetChanges();
    void redoPresetChanges();
    bool canUndo() const;
    bool canRedo() const;
    bool validateCommand(Command command) override;
    void performCommand(Command command) override;

    // ---- The pedal picture and the keyboard
    void presetUpFootswitchClicked();
    void presetDownFootswitchClicked();
    void effectFootswitchClicked();
    // Up and down arrows move through the presets; other keys are not used.
    bool keyDown(int key);

    // Button states.
    void sync() override;

    // ---- The view's parts
    EditorPresetsTable* table() const;
    ui::ImageButton* deleteButton() const { return deleteButton_; }
    ui::ImageButton* revertButton() const { return revertButton_; }
    ui::ImageButton* undoButton() const { return undoButton_; }
    ui::ImageButton* redoButton() const { return redoButton_; }
    ui::ImageButton* saveAsButton() const { return saveAsButton_; }
    ui::ImageButton* saveButton() const { return saveButton_; }
    ui::ImageButton* presetUpFootswitch() const { return presetUpFootswitch_; }
    ui::ImageButton* presetDownFootswitch() const { return presetDownFootswitch_; }
    ui::ImageButton* effectFootswitch() const { return effectFootswitch_; }
    ui::ImageButton* navcoder() const { return navcoder_; }
    Light* presetLoadedLight() const;
    Light* bypassLight() const;
    ui::Label* oledTitle() const;
    ui::Label* oledSubtitle() const;
    QWidget* simulatorArea() const;
    Notice* notice() const;

    // ---- Preset list delegate
    PresetRowState rowState(std::size_t row) override;
    bool selectionShouldChange() override;
    void selectionDidChange() override;
    void hoveringBegan(EditorPresetsTableCellView* cell) override;
    void hoveringEnded(EditorPresetsTableCellView* cell) override;

  protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

    // The device, the selected row and its cached preset, when all three are there.
    struct Editing {
        DeviceRef device;
        std::size_t row = 0;
        std::shared_ptr<Preset> preset;
    };
    std::optional<Editing> editing() const;
    // Whether a save or delete may start now; shows why not when the pedal is refreshing.
    bool mayChangeSlots(const DeviceRef& device);
    // Dismisses the notice of an earlier action.
    void beginAction();
    // Runs `work` on the pedal's queue, holding the pedal and this editor weakly.
    void onPedal(std::function<void(QORUARTDevice&, ScreenGuard<Editor>)> work);
    EditorView* editorView() const;

  private:
    void replaceButtons();
    void movePreset(bool up);
    // The user said "Yes" to deleting the selected preset (or chose to delete it without the
    // journal).
    void deleteConfirmed(WithoutJournal without);
    // The write of a save or Save As; `done` runs on the main thread with the result. When
    // the journal cannot take the entry, the user is asked whether to save without it.
    void writePreset(std::size_t source, std::size_t target,
                     std::function<void(Editor&, bool written)> done,
                     WithoutJournal without = WithoutJournal::refuse);
    void keepEditsMadeWhileSaving(const Bytes& edited, const Bytes& saved, std::size_t target);

    std::unique_ptr<Ui::EditorScreen> form_;
    bool selectOnlyOnDevice_ = false;
    bool initialized_ = false;
    ui::ImageButton* deleteButton_ = nullptr;
    ui::ImageButton* revertButton_ = nullptr;
    ui::ImageButton* undoButton_ = nullptr;
    ui::ImageButton* redoButton_ = nullptr;
    ui::ImageButton* saveAsButton_ = nullptr;
    ui::ImageButton* saveButton_ = nullptr;
    ui::ImageButton* presetUpFootswitch_ = nullptr;
    ui::ImageButton* presetDownFootswitch_ = nullptr;
    ui::ImageButton* effectFootswitch_ = nullptr;
    ui::ImageButton* navcoder_ = nullptr;
};

// The NAX III's editor: the shared screen, with nothing of its own.
class NAX3Editor : public Editor {
    Q_OBJECT
  public:
    using Editor::Editor;
    QString className() const override { return QStringLiteral("NAX3Editor"); }
};

}  // namespace harbrix
