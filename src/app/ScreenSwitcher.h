// The screens that fill the window: the empty state and the current pedal's Transfers,
// Editor and Settings screens. It makes them for a pedal, decides which one shows, keeps the
// header's tabs in step, and brings a screen in with a slide or a fade.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "shell/Screen.h"

namespace harbrix {

class PedalList;
class Window;

namespace ui {
class ToggleButton;
}  // namespace ui

class ScreenSwitcher : public QObject {
    Q_OBJECT
  public:
    // `raiseOverlays` puts the header's menu and chooser back on top of a screen brought in.
    ScreenSwitcher(Window& window, const PedalList& pedals, std::function<void()> raiseOverlays);
    ~ScreenSwitcher() override;

    // The header's tabs, in place of the layout's buttons; a click asks for the switch.
    void buildTabs();
    // Shows the empty state, at launch.
    void showNothing(std::shared_ptr<Screen> nothing);
    // New screens for the pedal that just became current; none drops them all.
    void makeScreens(const DeviceRef& device);
    // The current pedal's screens that exist.
    std::vector<std::shared_ptr<Screen>> pedalScreens() const;

    void switchToNothing();
    void switchToTransfers();
    void switchToEditor();
    void switchToSettings();
    // The editor, or the transfer screen for a pedal that does not edit presets.
    void switchToFirstScreen(const DeviceRef& device);
    // Brings in the new pedal's screen of the shown kind with a fade.
    void fadeInController();
    // Gives the keyboard to the shown screen's view, or to the window's content.
    void focusShown();
    void focusContent();

    const std::shared_ptr<Screen>& currentController() const { return currentController_; }
    const std::shared_ptr<Screen>& nothing() const { return nothing_; }
    const std::shared_ptr<Screen>& transfers() const { return transfers_; }
    const std::shared_ptr<Screen>& editor() const { return editor_; }
    const std::shared_ptr<Screen>& settings() const { return settings_; }
    ui::ToggleButton* transfersTabButton() const { return transfersTab_; }
    ui::ToggleButton* editorTabButton() const { return editorTab_; }
    ui::ToggleButton* settingsTabButton() const { return settingsTab_; }

  private:
    void slideToController(const std::shared_ptr<Screen>& target);
    // With a current pedal that edits presets; one that cannot is shown its settings instead.
    bool presetScreensAllowed();
    void setTabs(const ui::ToggleButton* on);
    void addScreenView(QWidget* view);
    // Hides every screen view but the current one once a change has ended.
    void settleScreens();
    // Keeps a replaced screen until its view has left, then lets it go.
    void retire(const std::shared_ptr<Screen>& screen);
    void screenChangeEnded();

    Window& window_;
    const PedalList& pedals_;
    std::function<void()> raiseOverlays_;
    std::shared_ptr<Screen> nothing_;
    std::shared_ptr<Screen> transfers_;
    std::shared_ptr<Screen> editor_;
    std::shared_ptr<Screen> settings_;
    std::shared_ptr<Screen> currentController_;
    // Screens replaced while their views are still sliding or fading out.
    std::vector<std::shared_ptr<Screen>> retired_;
    std::vector<QPointer<QWidget>> screenViews_;
    ui::ToggleButton* transfersTab_ = nullptr;
    ui::ToggleButton* editorTab_ = nullptr;
    ui::ToggleButton* settingsTab_ = nullptr;
};

}  // namespace harbrix
