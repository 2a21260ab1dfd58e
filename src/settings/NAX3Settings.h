// The NAX3's settings screen: the pedal keeps no global settings that can be changed from
// here, so it shows the firmware version, the serial number and the firmware update only.
#pragma once

#include <memory>

#include "settings/Settings.h"

namespace harbrix {

class NAX3Settings : public Settings {
  public:
    static std::unique_ptr<NAX3Settings> controller(const DeviceRef& device = nullptr) {
        return std::unique_ptr<NAX3Settings>(new NAX3Settings(device));
    }

    QString className() const override { return QStringLiteral("NAX3Settings"); }

  private:
    explicit NAX3Settings(const DeviceRef& device) : Settings(device) {}
};

}  // namespace harbrix
