// The settings screen of each model, by the class name the model table gives.
#include <array>
#include <string_view>

#include "settings/MIV3Settings.h"
#include "settings/NAX3Settings.h"

namespace harbrix {
namespace {

struct SettingsClass {
    std::string_view name;
    std::unique_ptr<Settings> (*make)(const DeviceRef& device);
};

constexpr std::array<SettingsClass, 2> kClasses{{
    {"MIV3Settings",
     [](const DeviceRef& d) -> std::unique_ptr<Settings> { return MIV3Settings::controller(d); }},
    {"NAX3Settings",
     [](const DeviceRef& d) -> std::unique_ptr<Settings> { return NAX3Settings::controller(d); }},
}};

}  // namespace

std::unique_ptr<Settings> Settings::controller(const QString& className, const DeviceRef& device) {
    const QByteArray name = className.toUtf8();
    for (const SettingsClass& entry : kClasses)
        if (entry.name == std::string_view(name.constData(), static_cast<std::size_t>(name.size())))
            return entry.make(device);
    return nullptr;
}

}  // namespace harbrix
