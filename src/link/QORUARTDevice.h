// One connected pedal, as the rest of the code names it: who it is, where its node lives,
// its queue and its cache file, and the concerns it owns, each reached by its accessor:
// the line and its transactions, bring-up and identity, memory and settings, control
// commands, and firmware flashing. Work with one pedal runs on that pedal's queue.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

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
