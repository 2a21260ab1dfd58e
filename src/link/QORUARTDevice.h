// One connected pedal, as the rest of the code names it: who it is, where its node lives,
// its queue and its cache file, and the concerns it owns, each reached by its accessor:
// the line and its transactions, bring-up and identity, memory and settings, control
// commands, and firmware flashing. Work with one pedal runs on that pedal's queue.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/BringUp.h"
#include "link/DeviceCache.h"
#include "link/DeviceControl.h"
#include "link/DeviceLine.h"
#include "link/Flasher.h"
#include "link/PedalMemory.h"
#include "link/Rails.h"
#include "platform/SerialLine.h"

namespace harbrix {

class DeviceDelegate;
class Meta;
class Preset;
class QORUARTDevice;
using DeviceRef = std::shared_ptr<QORUARTDevice>;

// What a higher layer keeps with each pedal (the preset store, registry membership): made on
// first use, destroyed with the device. One kind of attachment per program.
class DeviceAttachment {
  public:
    virtual ~DeviceAttachment() = default;
};

class QORUARTDevice : public std::enable_shared_from_this<QORUARTDevice> {
  public:
    QORUARTDevice(std::string filename, std::string name, std::string serial,
                  std::shared_ptr<SerialLine> line = SerialLine::system());
    ~QORUARTDevice();
    QORUARTDevice(const QORUARTDevice&) = delete;
    QORUARTDevice& operator=(const QORUARTDevice&) = delete;

    // Every pedal starts at this speed, and comes back at it after a restart.
    static constexpr std::uint32_t kBootSpeed = 115200;
    // Model name -> line speed in bit/s; 0 for a name it does not list.
    static std::uint32_t speedForModel(const std::string& name);
    // The object told about settings and presets (held without ownership).
    static DeviceDelegate* delegate();
    static void setDelegate(DeviceDelegate* delegate);

    const std::string& filename() const { return filename_; }
    const std::string& name() const { return name_; }
    const std::string& serial() const { return serial_; }
    // Where the node lives ("/dev", or HARBRIX_DEV_ROOT).
    const std::string& deviceRoot() const { return deviceRoot_; }
    void setDeviceRoot(std::string root) { deviceRoot_ = std::move(root); }
    std::uint64_t filenumber() const { return filenumber_; }
    void setFilenumber(std::uint64_t filenumber);
    const QueueRef& queue() const { return queue_; }
    void setQueue(QueueRef queue) { queue_ = std::move(queue); }

    // The per-pedal cache file.
    const DeviceCache& cache() const { return cache_; }
    void setCache(DeviceCache cache) { cache_ = std::move(cache); }
    std::string cachePath() const;
    // Writes a copy of the cache to its file on the disk rail.
    void flushCache();
    // Loads the cache file, or writes an empty one when there is none; false when the cache
    // folder cannot be made.
    bool loadCache();

    // The concerns.
    DeviceLine& line() { return line_; }
    const DeviceLine& line() const { return line_; }
    BringUp& bringUp() { return bringUp_; }
    const BringUp& bringUp() const { return bringUp_; }
    PedalMemory& ram() { return ram_; }
    const PedalMemory& ram() const { return ram_; }
    DeviceControl& control() { return control_; }
    Flasher& flasher() { return flasher_; }

    // What the handshake found, and why the last bring-up failed (see BringUp).
    bool completeInitialization() { return bringUp_.completeInitialization(); }
    std::shared_ptr<Model> model() const { return bringUp_.model(); }
    std::set<std::uint8_t> commands() const { return bringUp_.commands(); }
    Timeouts timeouts() const { return bringUp_.timeouts(); }
    PresetsSchema presetsSchema() const { return bringUp_.presetsSchema(); }
    std::optional<AddressableMemory> memory() const { return bringUp_.memory(); }
    std::string failureReason() const { return bringUp_.failureReason(); }
    std::optional<UARTResponse> execute(std::uint8_t command, const Bytes& request,
                                        double wait = 0) {
        return line_.execute(command, request, wait);
    }

    bool dead() const { return dead_; }
    void setDead(bool dead) { dead_ = dead; }
    // While the pedal restarts and is brought up again (PedalRestart).
    bool restarting() const { return restarting_; }
    void setRestarting(bool restarting) { restarting_ = restarting; }
    // A pedal that restarted and did not come back; discovery lets it go.
    bool lost() const { return lost_; }
    void setLost(bool lost) { lost_ = lost; }
    // One check of a silent pedal at a time: false when one is under way already.
    bool beginAnswerCheck() { return !checkingAnswer_.exchange(true); }
    void endAnswerCheck() { checkingAnswer_ = false; }

    // Of the text "QORUARTDevice|filename|file": changes when the line is opened.
    std::size_t hash() const;
    // The same file descriptor and the same file name.
    bool isEqual(const QORUARTDevice& other) const;

    // The attachment of type T (a DeviceAttachment made from this device), made on first use.
    template <typename T>
    T& attachment() const {
        std::call_once(attachOnce_, [this] {
            attachment_ = std::make_unique<T>(const_cast<QORUARTDevice&>(*this));
        });
        return static_cast<T&>(*attachment_);
    }

    // ---- Forwards to the concerns, kept while callers move to the accessors.
    static std::recursive_mutex& ioLock() { return DeviceLine::ioLock(); }
    int file() const { return line_.file(); }
    bool log() const { return line_.log(); }
    void setLog(bool log) { line_.setLog(log); }
    bool resetting() const { return line_.resetting(); }
    void setResetting(bool resetting) { line_.setResetting(resetting); }
    Framing framing() const { return line_.framing(); }
    void setFraming(Framing framing) { line_.setFraming(framing); }
    bool silent() const { return line_.silent(); }
    static constexpr std::size_t kHistoryLength = TransactionHistory::kLength;
    void enableHistory() { line_.history().enable(); }
    void dropHistory() { line_.history().drop(); }
    bool recordsHistory() const { return line_.history().enabled(); }
    std::vector<HistoryEntry> historyEntries() const { return line_.history().entries(); }
    std::optional<HistoryEntry> historicalEvent(std::size_t index) const {
        return line_.history().historicalEvent(index);
    }
    std::optional<HistoryEntry> historicalEventBeforeIndexIgnoringEmptyPresets(
        std::size_t index) const {
        return line_.history().historicalEventBeforeIndexIgnoringEmptyPresets(index);
    }
    std::optional<HistoryEntry> historicalEventAfterIndexIgnoringEmptyPresets(
        std::size_t index) const {
        return line_.history().historicalEventAfterIndexIgnoringEmptyPresets(index);
    }
    bool open() { return bringUp_.open(); }
    bool write(const Bytes& bytes) { return line_.write(bytes); }
    std::optional<Bytes> readAll(std::optional<std::size_t> expected = std::nullopt) {
        return line_.readAll(expected);
    }
    bool bringUpAgain() { return bringUp_.bringUpAgain(); }
    bool setHostSpeed(std::uint32_t speed) { return line_.setHostSpeed(speed); }
    std::string failureCause() const { return bringUp_.failureCause(); }
    std::optional<UARTResponse> handshake() { return bringUp_.handshake(); }
    bool setDeviceSpeed(std::uint32_t speed) { return bringUp_.setDeviceSpeed(speed); }
    bool enableHardwareControl() { return bringUp_.enableHardwareControl(); }
    LCXreply getInitialDeviceState() { return bringUp_.getInitialDeviceState(); }
    std::optional<LCXreply> readDeviceState() { return bringUp_.readDeviceState(); }
    void getDeviceState() { bringUp_.getDeviceState(); }
    void setMemory(std::optional<AddressableMemory> memory) {
        bringUp_.setMemory(std::move(memory));
    }
    LCXreply lcxreply() const { return bringUp_.lcxreply(); }
    void setLcxreply(const LCXreply& reply) { bringUp_.setLcxreply(reply); }
    SettingsBlock settings() const { return ram_.settings(); }
    void setSettings(const SettingsBlock& settings) { ram_.setSettings(settings); }
    void updateSettings(const SettingsBlock& settings) { ram_.updateSettings(settings); }
    std::uint8_t peekByteAtAddress(std::uint32_t a) { return ram_.peekByteAtAddress(a); }
    std::uint16_t peekShortAtAddress(std::uint32_t a) { return ram_.peekShortAtAddress(a); }
    std::uint32_t peekIntAtAddress(std::uint32_t a) { return ram_.peekIntAtAddress(a); }
    std::uint64_t peekLongAtAddress(std::uint32_t a) { return ram_.peekLongAtAddress(a); }
    bool pokeByte(std::uint8_t v, std::uint32_t a) { return ram_.pokeByte(v, a); }
    bool pokeShort(std::uint16_t v, std::uint32_t a) { return ram_.pokeShort(v, a); }
    bool pokeInt(std::uint32_t v, std::uint32_t a) { return ram_.pokeInt(v, a); }
    bool pokeLong(std::uint64_t v, std::uint32_t a) { return ram_.pokeLong(v, a); }
    std::uint32_t midiChannel() { return ram_.midiChannel(); }
    void setMidiChannel(std::uint32_t v) { ram_.setMidiChannel(v); }
    bool midiThru() { return ram_.midiThru(); }
    void setMidiThru(bool v) { ram_.setMidiThru(v); }
    bool midiKeyboard() { return ram_.midiKeyboard(); }
    void setMidiKeyboard(bool v) { ram_.setMidiKeyboard(v); }
    std::uint32_t contrast() { return ram_.contrast(); }
    void setContrast(std::uint32_t v) { ram_.setContrast(v); }
    std::uint32_t homeview() { return ram_.homeview(); }
    void setHomeview(std::uint32_t v) { ram_.setHomeview(v); }
    bool nameCrawlEnabled() { return ram_.nameCrawlEnabled(); }
    void setNameCrawlEnabled(bool v) { ram_.setNameCrawlEnabled(v); }
    std::optional<SettingsBlock> readSettings() { return ram_.readSettings(); }
    void refreshSettings() { ram_.refreshSettings(); }
    static constexpr std::uint32_t kRestorePresets = PedalMemory::kRestorePresets,
                                   kRestoreExpression = PedalMemory::kRestoreExpression,
                                   kRestoreMIDI = PedalMemory::kRestoreMIDI,
                                   kRestoreDisplay = PedalMemory::kRestoreDisplay,
                                   kRestoreEverything = PedalMemory::kRestoreEverything;
    bool resetToFactoryDefaults(std::uint32_t mask) { return ram_.resetToFactoryDefaults(mask); }
    bool suspend() { return control_.suspend(); }
    bool recover() { return control_.recover(); }
    bool reboot() { return control_.reboot(); }
    bool setEffectEnabled(bool enabled) { return control_.setEffectEnabled(enabled); }
    bool MIDIJam() { return control_.MIDIJam(); }
    static constexpr std::size_t kPageSize = Flasher::kPageSize;
    bool writePage(std::span<const std::uint8_t> bytes) { return flasher_.writePage(bytes); }
    std::optional<Bytes> readPage(std::size_t length = 0) { return flasher_.readPage(length); }
    bool commitPageToFlashOffset(std::uint32_t offset) {
        return flasher_.commitPageToFlashOffset(offset);
    }
    std::optional<Bytes> readFlashAtOffset(std::uint32_t offset, std::size_t length = 0) {
        return flasher_.readFlashAtOffset(offset, length);
    }
    using Progress = Flasher::Progress;
    using FlashOutcome = Flasher::Outcome;
    using StopHook = Flasher::StopHook;
    bool updateFirmware(const Bytes& image, Progress progress = {}) {
        return flasher_.updateFirmware(image, std::move(progress));
    }
    FlashOutcome flashFirmware(const Bytes& image, Progress progress, const StopHook& stop) {
        return flasher_.flashFirmware(image, std::move(progress), stop);
    }
    // Defined with the preset store and the registry.
    static void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index);
    static void deviceInternalStateChanged(const DeviceRef& device, const std::string& state);
    static bool initialize(DeviceDelegate* delegate);
    static void listenForDevices();
    static void check();
    static DeviceRef device(const Meta& meta);
    static void deviceIsConnected(const DeviceRef& device);
    static void deviceHasBeenDisconnected(const DeviceRef& device);
    static DeviceRef currentDevice();
    static void listenForDeviceUpdates();
    void remove();
    using LineFactory = std::function<std::shared_ptr<SerialLine>(const std::string& filename)>;
    static void setLineFactory(LineFactory factory);
    static void resetRegistry();
    bool refreshing() const;
    void setRefreshing(bool refreshing);
    bool paused() const;
    bool stateBlockRead() const { return bringUp_.stateBlockRead(); }
    void setStateBlockRead(bool read) { bringUp_.setStateBlockRead(read); }
    bool synchronised() const;
    void setSynchronised(bool synchronised);
    bool beginRetry();
    void endRetry();
    std::shared_ptr<Preset> preset(std::size_t slot);
    bool writePreset(const std::shared_ptr<Preset>& preset, std::size_t slot);
    bool erasePreset(std::size_t slot);
    std::optional<std::string> presetName(std::size_t slot);
    bool setPresetName(const std::string& name, std::size_t slot);
    bool isloaded();
    bool selectPreset(std::size_t slot, bool load = false);
    bool selectAndLoadPreset(std::size_t slot) { return selectPreset(slot, true); }
    std::optional<std::uint8_t> selectedPreset();
    bool supportsPresetEditing() const;
    std::shared_ptr<Preset> cachedPreset(std::size_t slot) const;
    std::shared_ptr<Preset> cachedPreset(std::string_view key) const;
    void setCachedPreset(std::shared_ptr<Preset> preset, std::size_t slot);
    bool setCachedPreset(std::shared_ptr<Preset> preset, std::string_view key);
    struct SlotRange {
        std::size_t first = 0;
        std::size_t count = 0;
    };
    using RefreshCompletion = std::function<void(bool everySlotRead)>;
    void refreshPresets(SlotRange range, bool immediately = false,
                        RefreshCompletion completed = {});
    void refreshAllPresets(RefreshCompletion completed = {});
    void refreshPreset(std::size_t slot, bool immediately = true);
    bool refreshSlot(std::size_t slot);
    void listenForPresetUpdates();
    void setPaused(bool paused);

  private:
    const std::string filename_;
    const std::string name_;
    const std::string serial_;
    std::string deviceRoot_;
    std::uint64_t filenumber_ = 0;
    DeviceCache cache_;
    QueueRef queue_;
    std::atomic<bool> dead_ = false;
    std::atomic<bool> restarting_ = false;
    std::atomic<bool> lost_ = false;
    std::atomic<bool> checkingAnswer_ = false;

    DeviceLine line_;
    BringUp bringUp_;
    PedalMemory ram_;
    DeviceControl control_;
    Flasher flasher_;
    mutable std::once_flag attachOnce_;
    mutable std::unique_ptr<DeviceAttachment> attachment_;
};

}  // namespace harbrix
