// One pedal named on the command line, brought up on its own queue while the main thread
// runs the main rail.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "link/QORUARTDevice.h"

namespace harbrix {
class Meta;
}

namespace harbrix::ctl {

class DeviceSession {
public:
    // NODE is a path, or a name under the device root ("/dev" or HARBRIX_DEV_ROOT).
    static std::shared_ptr<DeviceSession> create(const std::string& node, const std::string& model,
                                                 std::string& error);
    // A pedal found by discovery, prepared as discovery prepares it (cache file, queue).
    static std::shared_ptr<DeviceSession> create(const Meta& meta, std::string& error);
    // The pedal a command line names: "--serial SERIAL", or NODE MODEL as its first two
    // arguments, or neither, and then the only pedal one discovery pass finds. The command
    // itself takes `ownArguments` arguments and up to `optionalArguments` more after them;
    // arguments() holds them. None, with error set, when the line does not fit or no single
    // pedal is named.
    static std::shared_ptr<DeviceSession> fromCommandLine(const CommandLine& line, std::string& error,
                                                          std::size_t ownArguments = 0,
                                                          std::size_t optionalArguments = 0);
    ~DeviceSession();

    const std::shared_ptr<QORUARTDevice>& device() const { return device_; }
    // The command's own arguments (fromCommandLine only).
    const std::vector<std::string>& arguments() const { return arguments_; }

    // Runs `work` on the pedal's queue, serving the main rail meanwhile; returns its result.
    int run(const std::function<int(QORUARTDevice&)>& work);

private:
    std::shared_ptr<QORUARTDevice> device_;
    std::vector<std::string> arguments_;
};

}  // namespace harbrix::ctl
