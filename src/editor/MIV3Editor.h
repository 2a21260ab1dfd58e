// The MIV III's editor: the shared editor screen with the parameter controls of the MIV III
// (faders, knobs and switches bound to the preset's keys by their layout identifiers), the
// status panel above them, the breakout panel of exact values and the pedal's display and
// encoder. A control's position is stored as a 7-bit value when the pointer lets go; while
// it is dragged only its breakout twin follows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/Editor.h"
#include "editor/Reflection.h"
#include "shell/Status.h"
#include "ui/Fader.h"
#include "ui/Knob.h"

namespace Ui {
class MIV3Parameters;
}

namespace harbrix {

class DetailStack;
class MIV3Status;
class Switch;

class MIV3Editor : public Editor,
                   public ui::KnobDelegate,
                   public ui::FaderDelegate,
                   public StatusDelegate {
    Q_OBJECT
  public:
    using Syncables = std::map<std::string, QWidget*>;
    using Reflections = std::map<std::string, std::vector<std::unique_ptr<Reflection>>>;

    explicit MIV3Editor(const DeviceRef& device);
    ~MIV3Editor() override;

    QString className() const override { return QStringLiteral("MIV3Editor"); }

    // A control's layout identifier without spaces: "$key", "#key" or "#key|suffix".
    static QString identifier(const QWidget* control);
    // Every "$key" control under the view, depth first; a later control wins a key.
    static Syncables& collectSyncables(Syncables& syncables, QWidget* view);
    // Every "#key" twin under the view, tied to the control `syncables` binds to its key.
    static Reflections& collectReflections(Reflections& reflections, QWidget* view,
                                           const Syncables& syncables);

    // A level from a knob or fader position; a switch's state.
    void percentControl(QWidget* control, double percentage);
    void buttonStateChanged(Switch* control);
    void knob(ui::Knob* knob, bool final, double percentage) override;
    void fader(ui::Fader* fader, bool final, double percentage) override;
    // The cap images: thresholds 0, 10, 25, 50, 75 and 95, at the fader's pixel ratio.
    std::map<int, QPixmap> capAssetsAndThresholds(ui::Fader* fader) override;

    void sync() override { sync(true); }
    // Full: the buttons, every bound control, the status panel, the display and the loaded
    // lamp from the preset; always: the breakout twins from their main controls.
    void sync(bool full);

    // ---- Status panel
    using Editor::selectedPreset;
    std::shared_ptr<Preset> selectedPreset() override { return Editor::selectedPreset(); }
    void itemClicked(const QString& item, const QString& group) override;
    void statusDidCompress(Status* status) override;
    void closeDetailStackAndExpandStatus();
    // The encoder: the pedal's selected slot is selected again, or loaded when it was not.
    void navcoderClicked();

    const Syncables& syncables() const { return syncables_; }
    const Reflections& reflections() const { return reflections_; }
    MIV3Status* status() const { return status_; }
    DetailStack* breakoutBox() const;
    // The bound control of a key; none when the layout binds nothing to it.
    QWidget* control(const std::string& key) const;

  protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

  private:
    void wireControls(QWidget* view);
    void showControls(const Preset& preset);
    void showTexts(const QString& title, const QString& subtitle, const QString& oledTitle);
    // Asks the pedal whether the slot is loaded. An exchange costs the pedal's queue 0.1 s
    // or more, so one question is out at a time, and one more at most waits behind it.
    void askLoaded();
    void loadedAnswered(bool loaded);

    std::unique_ptr<Ui::MIV3Parameters> parameters_;
    QWidget* parametersView_ = nullptr;
    Syncables syncables_;
    Reflections reflections_;
    MIV3Status* status_ = nullptr;
    int simulatorInitialX_ = 0;
    int simulatorCompressedX_ = 0;
    bool loadedAsked_ = false;
    bool askLoadedAgain_ = false;
};

}  // namespace harbrix
