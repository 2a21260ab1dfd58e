// The model table and the screen factories. The editor screen is a placeholder until its
// own subsystem provides it; it plugs in here.
#include "shell/ScreenCatalog.h"

#include <array>

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

std::unique_ptr<Screen> transfers(const DeviceRef& device, ScreenDelegate* delegate) {
    return Transfers::controller(device, delegate);
}

std::unique_ptr<Screen> editor(const DeviceRef& device, ScreenDelegate* delegate) {
    const ModelScreens* row = find(modelName(device));
    if (row == nullptr) return nullptr;
    return std::make_unique<PlaceholderScreen>(Screen::Kind::editor, text(row->editorClass), device,
                                               delegate);
}

std::unique_ptr<Screen> settings(const DeviceRef& device, ScreenDelegate* delegate) {
    const ModelScreens* row = find(modelName(device));
    if (row == nullptr) return nullptr;
    if (auto screen = Settings::controller(text(row->settingsClass), delegate)) return screen;
    return std::make_unique<PlaceholderScreen>(Screen::Kind::settings, text(row->settingsClass),
                                               device, delegate);
}

QString pedalboard(const DeviceRef& device) {
    const ModelScreens* row = device ? find(device->name()) : nullptr;
    return row != nullptr ? text(row->artwork) : QString();
}

}  // namespace harbrix::ScreenCatalog
