// What the device layer told the application, for tests: a delegate that records every
// call (and whether it arrived on the main rail's thread), and the main rail run by
// MainLoop on a thread of its own for as long as the object lives.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"

namespace harbrix::test {

class MainLoopThread {
  public:
    MainLoopThread();
    // Quits the loop and waits for its thread.
    ~MainLoopThread();
    MainLoopThread(const MainLoopThread&) = delete;
    MainLoopThread& operator=(const MainLoopThread&) = delete;

    std::thread::id id() const { return id_; }
    // Waits until everything posted to the main rail so far (with rail or railBehind) has run.
    static void settle();

  private:
    std::thread thread_;
    std::thread::id id_;
};

class RecordingDelegate : public DeviceDelegate {
  public:
    struct Call {
        std::string kind;  // "connected", "disconnected", "preset", "state", "settings", "failures"
        DeviceRef device;  // empty once forgotten
        std::string serial;
        std::size_t index = 0;
        SettingsBlock settings;
        bool onMain = false;
        bool refreshing = false;  // the device's flag when the call arrived
        std::vector<OpenFailure> failures;
    };

    // Calls on this thread count as on the main rail.
    void setMainThread(std::thread::id id) { mainThread_ = id; }
    void setCurrentDevice(DeviceRef device);

    std::vector<Call> calls() const;
    // Lets go of every device heard of so far, as an application lets go of a pedal that
    // was unplugged; the calls keep their serial numbers.
    void forgetDevices();
    // Calls of that kind, for the pedal with that serial when one is given.
    std::size_t count(const std::string& kind, const std::string& serial = "") const;
    // Waits until `done` holds for the calls so far; false on time-out.
    bool waitFor(const std::function<bool(const RecordingDelegate&)>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    void deviceIsConnected(const DeviceRef& device) override;
    void deviceHasBeenDisconnected(const DeviceRef& device) override;
    void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) override;
    void deviceInternalStateChanged(const DeviceRef& device, const std::string& state) override;
    void deviceHasUpdatedSettings(const DeviceRef& device, const SettingsBlock& settings) override;
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef& device) override;
    void deviceEndedFullRefresh(const DeviceRef& device,
                                const std::shared_ptr<void>& shield) override;
    DeviceRef currentDevice() override;
    void devicesFailedToOpen(const std::vector<OpenFailure>& failures) override;
    // The list the last "failures" call carried.
    std::vector<OpenFailure> failures() const;

  private:
    static Call call(const char* kind, const DeviceRef& device, std::size_t index = 0,
                     const SettingsBlock& settings = {});
    void record(Call call);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Call> calls_;
    DeviceRef current_;
    std::thread::id mainThread_;
};

}  // namespace harbrix::test
