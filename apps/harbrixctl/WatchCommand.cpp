// harbrixctl watch: the discovery loop of the application, one line per connection and
// disconnection, until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Commands.h"
#include "devices/DeviceRegistry.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "platform/MainLoop.h"

namespace harbrix::ctl {
namespace {

class WatchDelegate : public DeviceDelegate {
  public:
    void deviceIsConnected(const DeviceRef& device) override {
        const auto model = device->model();
        std::printf("connected %s %s %s/%s firmware %s\n", device->name().c_str(),
                    device->serial().c_str(), device->deviceRoot().c_str(),
                    device->filename().c_str(),
                    model ? model->version().description().c_str() : "unknown (did not come up)");
        std::fflush(stdout);
    }
    void deviceHasBeenDisconnected(const DeviceRef& device) override {
        std::printf("disconnected %s %s %s/%s\n", device->name().c_str(), device->serial().c_str(),
                    device->deviceRoot().c_str(), device->filename().c_str());
        std::fflush(stdout);
    }
    void deviceHasUpdatedPresetAtIndex(const DeviceRef&, std::size_t) override {}
    void deviceInternalStateChanged(const DeviceRef&, const std::string&) override {}
    void deviceHasUpdatedSettings(const DeviceRef&, const SettingsBlock&) override {}
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef&) override { return nullptr; }
    void deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) override {}
    DeviceRef currentDevice() override { return nullptr; }
};

}  // namespace

int watchCommand(const CommandLine& line) {
    if (!line.arguments.empty()) return usageError("watch takes no arguments");
    // Every thread started from here on inherits the blocked signals; one thread takes them.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops] {
        int signal = 0;
        sigwait(&stops, &signal);
        rail(Rails::main(), [] { MainLoop::quit(); });
    }).detach();

    static WatchDelegate delegate;
    DeviceRegistry::initialize(&delegate);
    MainLoop::run();
    // The pedals' queues and the check rail may be at work: leave without tearing them down,
    // once the cache writes have landed.
    railSync(Rails::disk(), [] {});
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace harbrix::ctl
