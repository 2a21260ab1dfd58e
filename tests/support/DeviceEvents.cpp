#include "support/DeviceEvents.h"

#include <future>

#include "devices/PresetStore.h"
#include "link/Rails.h"
#include "platform/MainLoop.h"

namespace harbrix::test {

MainLoopThread::MainLoopThread() {
    std::promise<std::thread::id> started;
    auto id = started.get_future();
    thread_ = std::thread([&started] {
        started.set_value(std::this_thread::get_id());
        MainLoop::run();
    });
    id_ = id.get();
}

MainLoopThread::~MainLoopThread() {
    rail(Rails::main(), [] { MainLoop::quit(); });
    thread_.join();
}

void MainLoopThread::settle() {
    // Behind everything: a waiting `rail` block may otherwise overtake earlier railBehind work.
    auto done = std::make_shared<std::promise<void>>();
    railBehind(Rails::main(), [done] { done->set_value(); });
    done->get_future().wait();
}

void RecordingDelegate::forgetDevices() {
    std::vector<DeviceRef> devices;
    {
        std::lock_guard lock(mutex_);
        for (Call& call : calls_) devices.push_back(std::move(call.device));
        current_.reset();
    }
    // Released here, outside the lock: a device closes its line as it goes.
}

void RecordingDelegate::setCurrentDevice(DeviceRef device) {
    std::lock_guard lock(mutex_);
    current_ = std::move(device);
}

std::vector<RecordingDelegate::Call> RecordingDelegate::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::size_t RecordingDelegate::count(const std::string& kind, const std::string& serial) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Call& call : calls_)
        if (call.kind == kind && (serial.empty() || call.serial == serial)) ++n;
    return n;
}

bool RecordingDelegate::waitFor(const std::function<bool(const RecordingDelegate&)>& done,
                                std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    while (true) {
        lock.unlock();
        const bool reached = done(*this);
        lock.lock();
        if (reached) return true;
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
            lock.unlock();
            return done(*this);
        }
    }
}

RecordingDelegate::Call RecordingDelegate::call(const char* kind, const DeviceRef& device,
                                                std::size_t index, const SettingsBlock& settings) {
    Call made;
    made.kind = kind;
    made.device = device;
    made.index = index;
    made.settings = settings;
    return made;
}

void RecordingDelegate::record(Call call) {
    call.onMain = std::this_thread::get_id() == mainThread_;
    if (call.device) {
        call.serial = call.device->serial();
        call.refreshing = presets(call.device).refreshing();
    }
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    changed_.notify_all();
}

void RecordingDelegate::devicesFailedToOpen(const std::vector<OpenFailure>& failures) {
    Call made = call("failures", nullptr);
    made.failures = failures;
    record(std::move(made));
}

std::vector<OpenFailure> RecordingDelegate::failures() const {
    std::lock_guard lock(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
        if (it->kind == "failures") return it->failures;
    return {};
}

void RecordingDelegate::deviceIsConnected(const DeviceRef& device) {
    record(call("connected", device));
}

void RecordingDelegate::deviceHasBeenDisconnected(const DeviceRef& device) {
    record(call("disconnected", device));
}

void RecordingDelegate::deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index) {
    record(call("preset", device, index));
}

void RecordingDelegate::deviceInternalStateChanged(const DeviceRef& device, const std::string&) {
    record(call("state", device));
}

void RecordingDelegate::deviceHasUpdatedSettings(const DeviceRef& device,
                                                 const SettingsBlock& settings) {
    record(call("settings", device, 0, settings));
}

std::shared_ptr<void> RecordingDelegate::deviceBeganFullRefresh(const DeviceRef&) {
    return nullptr;
}

void RecordingDelegate::deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) {}

DeviceRef RecordingDelegate::currentDevice() {
    std::lock_guard lock(mutex_);
    return current_;
}

}  // namespace harbrix::test
