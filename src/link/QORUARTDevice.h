// One connected pedal: its serial line, the transaction engine every command passes
// through, bring-up and identification, and the small per-pedal cache. Work with one pedal
// runs on that pedal's queue; every transaction of every pedal is serialised by one
// process-wide recursive "io" lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/AddressableMemory.h"
#include "link/DeviceCache.h"
#include "link/LCXreply.h"
#include "link/Model.h"
#include "link/PresetsSchema.h"
#include "link/Rails.h"
#include "link/ReplyFraming.h"
#include "link/SettingsBlock.h"
#include "link/Timeouts.h"
#include "link/UARTResponse.h"
#include "platform/Bytes.h"
#include "platform/SerialLine.h"

namespace harbrix {

class DeviceDelegate;
class QORUARTDevice;
using DeviceRef = std::shared_ptr<QORUARTDevice>;

// One recorded transaction (debug mode).
struct HistoryEntry {
    Bytes request;
    Bytes response;
    std::string command;
    std::size_t index = 0;
    bool skippable = false;  // a READ_PRESET of an empty slot
};

class QORUARTDevice : public std::enable_shared_from_this<QORUARTDevice> {
  public:
    QORUARTDevice(std::string filename, std::string name, std::string serial,
                  std::shared_ptr<SerialLine> line = SerialLine::system());
    ~QORUARTDevice();
    QORUARTDevice(const QORUARTDevice&) = delete;
    QORUARTDevice& operator=(const QORUARTDevice&) = delete;

    // Model name -> line speed in bit/s; 0 for a name it does not list.
    static std::uint32_t speedForModel(const std::string& name);
    // The object told about settings and presets (held without ownership).
    static DeviceDelegate* delegate();
    static void setDelegate(DeviceDelegate* delegate);
    // The process-wide lock every transaction holds.
    static std::recursive_mutex& ioLock();

    // ---- Identity and link state
    const std::string& filename() const { return filename_; }
    const std::string& name() const { return name_; }
    const std::string& serial() const { return serial_; }
    // Where the node lives ("/dev", or HARBRIX_DEV_ROOT).
    const std::string& deviceRoot() const { return deviceRoot_; }
    void setDeviceRoot(std::string root) { deviceRoot_ = std::move(root); }
    int file() const { return file_; }
    std::uint64_t filenumber() const { return filenumber_; }
    void setFilenumber(std::uint64_t filenumber);
    bool log() const { return log_; }
    void setLog(bool log) { log_ = log; }
    bool resetting() const { return resetting_; }
    void setResetting(bool resetting) { resetting_ = resetting; }
    Framing framing() const { return framing_; }
    void setFraming(Framing framing) { framing_ = framing; }
    const QueueRef& queue() const { return queue_; }
    void setQueue(QueueRef queue) { queue_ = std::move(queue); }

    // ---- Per-pedal cache file
    const DeviceCache& cache() const { return cache_; }
    void setCache(DeviceCache cache) { cache_ = std::move(cache); }
    std::string cachePath() const;
    // Writes a copy of the cache to its file on the disk rail.
    void flushCache();

    // ---- Transaction history (present in debug mode only)
    void enableHistory();
    void dropHistory();
    bool recordsHistory() const;
    std::vector<HistoryEntry> historyEntries() const;

    // ---- Serial transport
    bool open();
    bool write(const Bytes& bytes);
    std::optional<Bytes> readAll(std::optional<std::size_t> expected = std::nullopt);
    std::optional<UARTResponse> execute(std::uint8_t command, const Bytes& request,
                                        double wait = 0);

    // ---- Bring-up and identification
    bool completeInitialization();
    // Why the last open or handshake failed, in words for the user ("no answer to WHO_RU").
    std::string failureReason() const;
    std::optional<UARTResponse> handshake();
    bool setDeviceSpeed(std::uint32_t speed);
    bool enableHardwareControl();
    LCXreply getInitialDeviceState();
    void getDeviceState();

    const std::shared_ptr<Model>& model() const { return model_; }
    const std::set<std::uint8_t>& commands() const { return commands_; }
    const Timeouts& timeouts() const { return timeouts_; }
    const PresetsSchema& presetsSchema() const { return presetsSchema_; }
    const std::optional<AddressableMemory>& memory() const { return memory_; }
    void setMemory(std::optional<AddressableMemory> memory) { memory_ = std::move(memory); }

    LCXreply lcxreply() const;
    void setLcxreply(const LCXreply& reply);
    SettingsBlock settings() const;
    void setSettings(const SettingsBlock& settings);
    // Stores the settings and tells the delegate on the main rail when they changed.
    void updateSettings(const SettingsBlock& settings);

    // ---- Memory, settings and control commands (QORUARTDeviceMemory.cpp, QORUARTDeviceControl.cpp)

    // ---- Firmware flashing (QORUARTDeviceFlash.cpp)

    // ---- Registry and discovery: src/devices/QORUARTDeviceRegistry.cpp
    // Announcements to the delegate, posted to the main rail; nothing for an absent device.
    static void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index);
    static void deviceInternalStateChanged(const DeviceRef& device, const std::string& state);
    bool refreshing() const { return refreshing_; }
    void setRefreshing(bool refreshing) { refreshing_ = refreshing; }
    bool paused() const { return paused_; }
    bool dead() const { return dead_; }
    void setDead(bool dead) { dead_ = dead; }

    // ---- Preset operations and the preset cache: src/devices/QORUARTDevicePresets.cpp

    // ---- Preset refresh and history navigation: src/devices/QORUARTDeviceRefresh.cpp
    // Reads one slot into the preset cache (nothing for a slot past the schema).
    void refreshPreset(std::size_t slot);

  private:
    void fail(std::string reason);
    void record(std::uint8_t command, const Bytes& request, const Bytes& reply,
                const UARTResponse& response);

    const std::string filename_;
    const std::string name_;
    const std::string serial_;
    std::string deviceRoot_;
    const std::shared_ptr<SerialLine> line_;
    int file_ = -1;
    std::uint64_t filenumber_ = 0;
    DeviceCache cache_;
    std::atomic<bool> log_ = false;
    std::atomic<bool> resetting_ = false;
    Framing framing_;
    QueueRef queue_;

    mutable std::mutex historyMutex_;
    std::optional<std::vector<HistoryEntry>> history_;

    std::shared_ptr<Model> model_;
    std::set<std::uint8_t> commands_;
    Timeouts timeouts_;
    PresetsSchema presetsSchema_;
    std::optional<AddressableMemory> memory_;

    std::atomic<bool> refreshing_ = false;
    std::atomic<bool> paused_ = false;
    std::atomic<bool> dead_ = false;

    mutable std::mutex stateMutex_;
    std::string failure_;
    LCXreply lcxreply_{};
    SettingsBlock settings_;
};

}  // namespace harbrix
