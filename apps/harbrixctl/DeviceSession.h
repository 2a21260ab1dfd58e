// One pedal named on the command line, brought up on its own queue while the main thread
// runs the main rail.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/QORUARTDevice.h"

namespace harbrix::ctl {

class DeviceSession {
public:
    // NODE is a path, or a name under the device root ("/dev" or HARBRIX_DEV_ROOT).
    static std::shared_ptr<DeviceSession> create(const std::string& node, const std::string& model,
                                                 std::string& error);
    ~DeviceSession();

    const std::shared_ptr<QORUARTDevice>& device() const { return device_; }

    // Runs `work` on the pedal's queue, serving the main rail meanwhile; returns its result.
    int run(const std::function<int(QORUARTDevice&)>& work);

private:
    std::shared_ptr<QORUARTDevice> device_;
};

}  // namespace harbrix::ctl
