#include "DeviceSession.h"

#include "devices/NodeNames.h"
#include "link/Rails.h"
#include "platform/MainLoop.h"
#include "platform/Paths.h"

namespace harbrix::ctl {

std::shared_ptr<DeviceSession> DeviceSession::create(const std::string& node, const std::string& model,
                                                     std::string& error) {
    if (node.empty()) {
        error = "no device node given";
        return nullptr;
    }
    if (model != "MIV3" && model != "NAX3") {
        error = "unknown model \"" + model + "\" (MIV3 or NAX3)";
        return nullptr;
    }
    const auto slash = node.rfind('/');
    const std::string filename = slash == std::string::npos ? node : node.substr(slash + 1);
    const auto serial = serialFromNodeName(filename);

    auto session = std::shared_ptr<DeviceSession>(new DeviceSession);
    session->device_ = std::make_shared<QORUARTDevice>(filename, model, serial.value_or(""));
    auto& device = *session->device_;
    if (slash != std::string::npos) device.setDeviceRoot(slash == 0 ? "/" : node.substr(0, slash));

    // The cache keeps the node's file number, so a pedal already switched to its fast speed
    // is not told to switch again.
    if (serial && createDirectories(deviceCacheDirectory())) {
        if (auto cache = DeviceCache::load(device.cachePath())) {
            device.setCache(*cache);
        } else {
            device.flushCache();
        }
    }
    device.setQueue(railsQueue(filename));
    return session;
}

DeviceSession::~DeviceSession() {
    // Let pending cache writes land before the program ends.
    railSync(Rails::disk(), [] {});
}

int DeviceSession::run(const std::function<int(QORUARTDevice&)>& work) {
    int result = 1;
    auto device = device_;
    rail(device->queue(), [&result, &work, device] {
        result = work(*device);
        rail(Rails::main(), [] { MainLoop::quit(); });
    });
    MainLoop::run();
    return result;
}

}  // namespace harbrix::ctl
