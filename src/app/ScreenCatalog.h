// The screens made for a pedal, chosen by its model name, and the header artwork of each
// model. A model without an entry gets no editor, no settings screen and no artwork.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

#include "shell/Screen.h"

namespace harbrix::ScreenCatalog {

struct ModelScreens {
    std::string_view model;
    std::string_view editorClass;
    std::string_view settingsClass;
    std::string_view artwork;
};

// The table, one row per model.
const ModelScreens* find(const std::string& modelName);

std::unique_ptr<Screen> transfers(const DeviceRef& device);
// By the device model's name; none for another model.
std::unique_ptr<Screen> editor(const DeviceRef& device);
std::unique_ptr<Screen> settings(const DeviceRef& device);
// The header artwork for the device's name; empty for another name.
QString pedalboard(const DeviceRef& device);

}  // namespace harbrix::ScreenCatalog
