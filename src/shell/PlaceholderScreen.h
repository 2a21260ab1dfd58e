// Stand-ins for the transfer, editor and settings screens until those are built: each shows
// which screen class it stands for, the pedal it works on and how many presets the pedal's
// cache holds, and records what the controller asked of it.
#pragma once

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "shell/Screen.h"
#include "ui/Label.h"

namespace harbrix {

class PlaceholderScreen : public Screen {
  public:
    // `className` names the screen it stands for ("MIV3Editor").
    PlaceholderScreen(Kind kind, QString className, const DeviceRef& device);

    Kind kind() const override { return kind_; }
    QString className() const override { return className_; }

    void reloadPreset(std::size_t index) override;
    void reloadSettings(const SettingsBlock& settings) override;
    void sync() override;
    void selectPreset(std::size_t slot, bool load) override;

    // What the controller asked, in order.
    const std::vector<std::size_t>& reloadedPresets() const { return reloadedPresets_; }
    const std::vector<std::pair<std::size_t, bool>>& selections() const { return selections_; }
    const std::optional<SettingsBlock>& settings() const { return settings_; }
    int syncs() const { return syncs_; }

  protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

  private:
    void showState();

    Kind kind_;
    QString className_;
    std::vector<std::size_t> reloadedPresets_;
    std::vector<std::pair<std::size_t, bool>> selections_;
    std::optional<SettingsBlock> settings_;
    int syncs_ = 0;
    QPointer<ui::Label> heading_;
    QPointer<ui::Label> identity_;
    QPointer<ui::Label> state_;
};

}  // namespace harbrix
