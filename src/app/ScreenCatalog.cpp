// The model table and the screen factories: each model's Transfers, Editor and Settings
// screens come from their own subsystems and plug in here.
#include "app/ScreenCatalog.h"

#include <array>

#include "editor/Editor.h"
#include "link/QORUARTDevice.h"
#include "settings/Settings.h"
#include "shell/PlaceholderScreen.h"
#include "transfers/Transfers.h"

namespace harbrix::ScreenCatalog {
namespace {

constexpr std::array<ModelScreens, 2> kModels{{
    {"MIV3", "MIV3Editor", "MIV3Settings", "HEADER_MIV3_pedalboard"},
    {"NAX3", "NAX3Editor", "NAX3Settings", "HEADER_NAX3_pedalboard"},
}};

std::string modelName(const DeviceRef& device) {
    return device && device->model() ? device->model()->name() : std::string();
}

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

}  // namespace

const ModelScreens* find(const std::string& modelName) {
    for (const ModelScreens& row : kModels)
        if (row.model == modelName) return &row;
    return nullptr;
}

std::unique_ptr<Screen> transfers(const DeviceRef& device) {
    return Transfers::controller(device);
}

std::unique_ptr<Screen> editor(const DeviceRef& device) {
    const ModelScreens* row = find(modelName(device));
    if (row == nullptr) return nullptr;
    return Editor::controller(row->editorClass, device);
}

std::unique_ptr<Screen> settings(const DeviceRef& device) {
    const ModelScreens* row = find(modelName(device));
    if (row == nullptr) return nullptr;
    if (auto screen = Settings::controller(text(row->settingsClass), device)) return screen;
    return std::make_unique<PlaceholderScreen>(Screen::Kind::settings, text(row->settingsClass),
                                               device);
}

QString pedalboard(const DeviceRef& device) {
    const ModelScreens* row = device ? find(device->name()) : nullptr;
    return row != nullptr ? text(row->artwork) : QString();
}

}  // namespace harbrix::ScreenCatalog
