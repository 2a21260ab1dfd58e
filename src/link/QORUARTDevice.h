// One connected pedal: its serial line, the transaction engine every command passes
// through, bring-up and identification, and the small per-pedal cache. Work with one pedal
// runs on that pedal's queue; every transaction of every pedal is serialised by one
// process-wide recursive "io" lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
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
class Meta;
class Preset;
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

    // Every pedal starts at this speed, and comes back at it after a restart.
    static constexpr std::uint32_t kBootSpeed = 115200;
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
    // The newest exchanges kept; an entry keeps its index when older ones are dropped, and
    // navigation takes those indices.
    static constexpr std::size_t kHistoryLength = 10000;
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
    // For a pedal back from a restart, on the line that stayed open and at the boot speed:
    // the switch to its speed and the handshake again, as a new connection makes them.
    bool bringUpAgain();
    // Sets the host side of the open line to `speed` and drops what waits to be read.
    bool setHostSpeed(std::uint32_t speed);
    // Why the last open or handshake failed, for the log ("no answer to WHO_RU").
    std::string failureReason() const;
    // The same in words for the pedal's owner ("Permission denied", "it does not answer").
    std::string failureCause() const;
    std::optional<UARTResponse> handshake();
    bool setDeviceSpeed(std::uint32_t speed);
    bool enableHardwareControl();
    LCXreply getInitialDeviceState();
    // The state block, or none when the pedal did not give one.
    std::optional<LCXreply> readDeviceState();
    void getDeviceState();

    // What the handshake found. A restart may change it on the pedal's queue while other
    // threads read it, so each is handed out as a copy.
    std::shared_ptr<Model> model() const;
    std::set<std::uint8_t> commands() const;
    Timeouts timeouts() const;
    PresetsSchema presetsSchema() const;
    std::optional<AddressableMemory> memory() const;
    void setMemory(std::optional<AddressableMemory> memory);

    LCXreply lcxreply() const;
    void setLcxreply(const LCXreply& reply);
    SettingsBlock settings() const;
    void setSettings(const SettingsBlock& settings);
    // Stores the settings and tells the delegate on the main rail when they changed.
    void updateSettings(const SettingsBlock& settings);

    // ---- Memory, settings and control commands (QORUARTDeviceMemory.cpp, QORUARTDeviceControl.cpp)
    // Little-endian values in the pedal's RAM. A peek gives 0 when the exchange fails or the
    // reply is shorter than the value; a poke is true when the pedal accepted it.
    std::uint8_t peekByteAtAddress(std::uint32_t address);
    std::uint16_t peekShortAtAddress(std::uint32_t address);
    std::uint32_t peekIntAtAddress(std::uint32_t address);
    std::uint64_t peekLongAtAddress(std::uint32_t address);
    bool pokeByte(std::uint8_t value, std::uint32_t address);
    bool pokeShort(std::uint16_t value, std::uint32_t address);
    bool pokeInt(std::uint32_t value, std::uint32_t address);
    bool pokeLong(std::uint64_t value, std::uint32_t address);

    // One settings word each. Without a memory map (NAX3) nothing is sent: getters give 0 or
    // false and setters do nothing. Setters do not report whether the pedal took the value.
    std::uint32_t midiChannel();
    void setMidiChannel(std::uint32_t channel);
    bool midiThru();
    void setMidiThru(bool enabled);
    bool midiKeyboard();
    void setMidiKeyboard(bool enabled);
    std::uint32_t contrast();
    void setContrast(std::uint32_t contrast);
    std::uint32_t homeview();
    void setHomeview(std::uint32_t homeview);
    bool nameCrawlEnabled();
    void setNameCrawlEnabled(bool enabled);
    // The seven settings words in one read; none without a memory map or on failure.
    std::optional<SettingsBlock> readSettings();
    // Reads the settings and tells the delegate when they differ from the stored ones.
    void refreshSettings();

    // Factory-reset mask bits.
    static constexpr std::uint32_t kRestorePresets = 1, kRestoreExpression = 2, kRestoreMIDI = 4,
                                   kRestoreDisplay = 8, kRestoreEverything = 16;
    // Every other command of this pedal is refused while the reset runs, and again accepted
    // once it returns, whatever happened. False without a memory map.
    bool resetToFactoryDefaults(std::uint32_t mask);

    bool suspend();
    bool recover();
    // True also when the pedal restarts without answering.
    bool reboot();
    // Switches the effect with the control change the footswitch sends.
    bool setEffectEnabled(bool enabled);
    // Plays the bundled "midi-jam-test-payload" MIDI sequence into the pedal; false at once
    // when the resource is missing or empty.
    bool MIDIJam();

    // ---- Firmware flashing (QORUARTDeviceFlash.cpp)
    static constexpr std::size_t kPageSize = 256;
    // The pedal's page buffer: 1..256 bytes in; a read length of 0 means a whole page.
    bool writePage(std::span<const std::uint8_t> bytes);
    std::optional<Bytes> readPage(std::size_t length = 0);
    // Flash at an offset: the buffer committed there, or read back (length 0: a whole page).
    bool commitPageToFlashOffset(std::uint32_t offset);
    std::optional<Bytes> readFlashAtOffset(std::uint32_t offset, std::size_t length = 0);
    // Flashes a raw or LDR image page by page, each one read back, and reboots the pedal.
    // Progress (0..100) arrives on the main rail in order: 0, once per page, 100 on success.
    // Once the pedal is suspended it is left restarting whatever happens (rebooted, or told
    // to recover and reboot) and has to be brought up again. An image the pedal cannot take
    // (see flashableImage) is refused before anything is sent.
    using Progress = std::function<void(double percent)>;
    bool updateFirmware(const Bytes& image, Progress progress = {});
    // How a flash ended.
    enum class FlashOutcome {
        written,       // every page written and read back; the pedal is restarting
        refused,       // the image was refused; nothing was sent
        notSuspended,  // the pedal did not suspend; nothing more was sent
        failed,        // a page failed; the pedal was told to recover and reboot
        stopped,       // stopped between pages; the pedal was told to recover and reboot
        cancelled,     // stopped before the pedal was suspended; nothing was sent
        gone,          // the pedal went before the update could start; nothing was sent
    };
    // The update above, asking `stopRequested` (when given) before the suspend and before
    // each page: a page under way always finishes first, then the pedal is told to recover.
    using StopHook = std::function<bool()>;
    FlashOutcome flashFirmware(const Bytes& image, Progress progress, const StopHook& stopRequested);

    // ---- Registry and discovery: src/devices/QORUARTDeviceRegistry.cpp
    // Announcements to the delegate, posted to the main rail; nothing for an absent device.
    static void deviceHasUpdatedPresetAtIndex(const DeviceRef& device, std::size_t index);
    static void deviceInternalStateChanged(const DeviceRef& device, const std::string& state);
    // Starts discovery once per process, the delegate (the application's controller) held
    // without ownership; true then and on every later call. False without a delegate.
    static bool initialize(DeviceDelegate* delegate);
    // A discovery pass on the check rail now, and then again about every 1.07 s for good.
    static void listenForDevices();
    // One discovery pass: connects new pedals, removes the ones that are gone. Check rail only.
    static void check();
    // A device for a pedal that discovery found: its cache file, its own queue, a history in
    // debug mode. None when the cache folder or the queue cannot be made.
    static DeviceRef device(const Meta& meta);
    // Announces a new device on the main rail, then synchronises it on its own queue.
    static void deviceIsConnected(const DeviceRef& device);
    // Stops the device's queue for good, drops its history and announces the loss.
    static void deviceHasBeenDisconnected(const DeviceRef& device);
    // The delegate's current device, asked on the calling thread; none without a delegate.
    static DeviceRef currentDevice();
    // Polls the current device's state about every 0.55 s while there is one. Nothing in the
    // application starts it.
    static void listenForDeviceUpdates();
    // Announces the disconnection and takes the device out of the registry (check rail).
    void remove();
    // Loads the cache file, or writes an empty one when there is none; false when the cache
    // folder cannot be made.
    bool loadCache();
    // Of the text "QORUARTDevice|filename|file": changes when the line is opened.
    std::size_t hash() const;
    // The same file descriptor and the same file name.
    bool isEqual(const QORUARTDevice& other) const;
    // For tests: the line each device made by `device` talks through (the system's serial
    // lines when unset).
    using LineFactory = std::function<std::shared_ptr<SerialLine>(const std::string& filename)>;
    static void setLineFactory(LineFactory factory);
    // For tests: stops the discovery loop and the poll, forgets every registered device and
    // the delegate without announcing anything, so that `initialize` starts afresh.
    static void resetRegistry();
    bool refreshing() const { return refreshing_; }
    void setRefreshing(bool refreshing) { refreshing_ = refreshing; }
    bool paused() const { return paused_; }
    bool dead() const { return dead_; }
    void setDead(bool dead) { dead_ = dead; }
    // Whether the last exchange went unanswered (no reply the engine could read).
    bool silent() const { return silent_; }
    // While the pedal restarts and is brought up again (PedalRestart).
    bool restarting() const { return restarting_; }
    void setRestarting(bool restarting) { restarting_ = restarting; }
    // A pedal that restarted and did not come back; discovery lets it go.
    bool lost() const { return lost_; }
    void setLost(bool lost) { lost_ = lost; }
    // One check of a silent pedal at a time: false when one is under way already.
    bool beginAnswerCheck() { return !checkingAnswer_.exchange(true); }
    void endAnswerCheck() { checkingAnswer_ = false; }
    // Whether a state block has been read since the connection: until then no slot is known.
    bool stateBlockRead() const { return stateBlockRead_; }
    void setStateBlockRead(bool read) { stateBlockRead_ = read; }
    // Whether the first synchronisation after the connection has ended, however far it got.
    bool synchronised() const { return synchronised_; }
    void setSynchronised(bool synchronised) { synchronised_ = synchronised; }
    // One retry of the slots not read yet at a time: false when one is under way already.
    bool beginRetry() { return !retrying_.exchange(true); }
    void endRetry() { retrying_ = false; }

    // ---- Preset operations and the preset cache: src/devices/QORUARTDevicePresets.cpp
    // Slots are 0-based; every operation refuses a slot at or above the schema's slot count
    // without an exchange. Writes and erasures that succeed update the cache and announce
    // the slot; failures leave the cache as it was.
    // The pedal's preset, an empty preset for an unoccupied slot, or none when the read failed.
    std::shared_ptr<Preset> preset(std::size_t slot);
    // Sends the working bytes, which must be exactly the schema's preset size, and caches a
    // saved copy of them.
    bool writePreset(const std::shared_ptr<Preset>& preset, std::size_t slot);
    bool erasePreset(std::size_t slot);
    std::optional<std::string> presetName(std::size_t slot);
    // Sends the ASCII characters of the name, "~" as "-"; refused when none are left. The
    // cache is not changed.
    bool setPresetName(const std::string& name, std::size_t slot);
    bool isloaded();
    // Records the slot in the pedal's "selected-preset" word, then selects it (and loads it
    // into the running sound with `load`). False without that word in the memory map.
    bool selectPreset(std::size_t slot, bool load = false);
    bool selectAndLoadPreset(std::size_t slot) { return selectPreset(slot, true); }
    // The pedal's "selected-preset" word, low eight bits; none without that word.
    std::optional<std::uint8_t> selectedPreset();
    // Whether the pedal has every preset command the editor needs.
    bool supportsPresetEditing() const;

    // The preset cache. Text keys are read as "0x" hexadecimal or decimal numbers; an
    // unreadable key finds and stores nothing. The object itself is stored, not a copy.
    // Null for a slot nobody has read (its content is not known); an empty preset for an
    // empty slot.
    std::shared_ptr<Preset> cachedPreset(std::size_t slot) const;
    std::shared_ptr<Preset> cachedPreset(std::string_view key) const;
    void setCachedPreset(std::shared_ptr<Preset> preset, std::size_t slot);
    bool setCachedPreset(std::shared_ptr<Preset> preset, std::string_view key);

    // ---- Preset refresh and history navigation: src/devices/QORUARTDeviceRefresh.cpp
    // Slots first .. first + count - 1, both ends taken as 8-bit values, so a range that
    // wraps past 255 is empty.
    struct SlotRange {
        std::size_t first = 0;
        std::size_t count = 0;
    };
    using RefreshCompletion = std::function<void(bool everySlotRead)>;
    // Reads the slots into the cache, announcing each one whose saved bytes changed, and
    // stops at the first slot that fails to read. Only a MIV3 is refreshed.
    // Immediately: on the calling thread (the pedal's queue). Otherwise behind every other
    // pending piece of work on the pedal's queue, as one block. The completion hears whether
    // every slot was read, on the pedal's queue (on the main rail for another model).
    void refreshPresets(SlotRange range, bool immediately = false,
                        RefreshCompletion completed = {});
    // Slots 0..99, deferred.
    void refreshAllPresets(RefreshCompletion completed = {});
    // Nothing for a slot past the schema.
    void refreshPreset(std::size_t slot, bool immediately = true);
    // Reads one slot into the cache, announcing it when its saved bytes changed; false when
    // the read failed. On the pedal's queue.
    bool refreshSlot(std::size_t slot);
    // A full refresh every 5 s after the previous one ended, for as long as the device lives.
    // Call on the main rail.
    void listenForPresetUpdates();
    // Suspends or resumes (every suspension at once) the pedal's queue.
    void setPaused(bool paused);

    // Debug-mode history navigation; none without entries. An entry is significant unless it
    // is skippable (the read of an empty slot).
    // The entry at `index`, or the last one for an index past the end.
    std::optional<HistoryEntry> historicalEvent(std::size_t index) const;
    // The nearest significant entry below `index`, else the one at it, else the nearest above.
    std::optional<HistoryEntry> historicalEventBeforeIndexIgnoringEmptyPresets(
        std::size_t index) const;
    // The nearest significant entry above `index`, else the one at it, else the nearest below.
    std::optional<HistoryEntry> historicalEventAfterIndexIgnoringEmptyPresets(
        std::size_t index) const;

  private:
    // `cause` says it for the pedal's owner; the reason itself when empty.
    void fail(std::string reason, std::string cause = {});
    std::optional<UARTResponse> switchAgainAndHandshake();
    // Keeps what a handshake found.
    void adopt(const UARTResponse& handshake);
    void record(std::uint8_t command, const Bytes& request, const Bytes& reply,
                const UARTResponse& response);
    // Where the entry recorded with that index sits in the history (its lock held).
    std::size_t historyPosition(std::size_t index) const;

    const std::string filename_;
    const std::string name_;
    const std::string serial_;
    std::string deviceRoot_;
    const std::shared_ptr<SerialLine> line_;
    int file_ = -1;
    std::uint64_t filenumber_ = 0;
    // The node's number as `open` found it, and whether the pedal was assumed to be at
    // its fast speed already (so was not told to switch).
    std::uint64_t nodeFilenumber_ = 0;
    bool speedSwitchSkipped_ = false;
    DeviceCache cache_;
    std::atomic<bool> log_ = false;
    std::atomic<bool> resetting_ = false;
    Framing framing_;
    QueueRef queue_;

    mutable std::mutex historyMutex_;
    std::optional<std::deque<HistoryEntry>> history_;
    // Entries recorded in all, the dropped ones included.
    std::size_t recorded_ = 0;

    // Written on the pedal's queue under stateMutex_; read there freely, elsewhere through
    // the getters.
    std::shared_ptr<Model> model_;
    std::set<std::uint8_t> commands_;
    Timeouts timeouts_;
    PresetsSchema presetsSchema_;
    std::optional<AddressableMemory> memory_;

    std::atomic<bool> refreshing_ = false;
    std::atomic<bool> paused_ = false;
    std::atomic<bool> dead_ = false;
    std::atomic<bool> stateBlockRead_ = false;
    std::atomic<bool> retrying_ = false;
    std::atomic<bool> synchronised_ = false;
    std::atomic<bool> silent_ = false;
    std::atomic<bool> restarting_ = false;
    std::atomic<bool> lost_ = false;
    std::atomic<bool> checkingAnswer_ = false;

    mutable std::mutex stateMutex_;
    std::string failure_;
    std::string failureCause_;
    LCXreply lcxreply_{};
    SettingsBlock settings_;

    // Memory, settings and control commands
    std::optional<std::uint32_t> memoryAddress(std::string_view key) const;
    std::optional<Bytes> peek(std::uint8_t sizeCode, std::uint32_t count, std::uint32_t address);
    bool poke(std::uint8_t sizeCode, std::uint64_t value, std::uint32_t address);
    bool control(std::uint8_t command, std::uint32_t argument, double wait,
                 const Bytes& payload = {});
    std::mutex resetMutex_;  // one factory reset at a time

    // Firmware flashing
    bool flashPage(std::span<const std::uint8_t> page, std::uint32_t offset, bool readBack);
    void abandonUpdate();

    // Preset operations and the preset cache
    bool refusesSlot(std::size_t slot) const;
    // Stores the preset under the slot and announces the slot after the lock is released.
    void cacheAndAnnounce(std::shared_ptr<Preset> preset, std::size_t slot);
    mutable std::mutex presetsMutex_;
    std::map<std::size_t, std::shared_ptr<Preset>> presets_;

    // Registry and discovery
    // Main rail only: whether the delegate has heard of the connection, and whether the
    // device went before it did (then it hears of neither).
    bool announced_ = false;
    bool withdrawn_ = false;
};

}  // namespace harbrix
