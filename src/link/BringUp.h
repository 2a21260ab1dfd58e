// Bringing a pedal up and what that finds out: opening and switching the line, the
// four-command handshake, the memory map, the state block, and why the last attempt failed.
// A restart may change what the handshake found on the pedal's queue while other threads
// read it, so each is handed out as a copy.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "link/AddressableMemory.h"
#include "link/LCXreply.h"
#include "link/Model.h"
#include "link/PresetsSchema.h"
#include "link/Timeouts.h"
#include "link/UARTResponse.h"

namespace harbrix {

class QORUARTDevice;

class BringUp {
  public:
    explicit BringUp(QORUARTDevice& device) : device_(device) {}
    BringUp(const BringUp&) = delete;
    BringUp& operator=(const BringUp&) = delete;

    // Opens and configures the node, switching a newly attached pedal to its speed.
    bool open();
    bool completeInitialization();
    // For a pedal back from a restart, on the line that stayed open and at the boot speed:
    // the switch to its speed and the handshake again, as a new connection makes them.
    bool bringUpAgain();
    std::optional<UARTResponse> handshake();
    bool setDeviceSpeed(std::uint32_t speed);
    bool enableHardwareControl();
    LCXreply getInitialDeviceState();
    // The state block, or none when the pedal did not give one.
    std::optional<LCXreply> readDeviceState();
    void getDeviceState();

    // Why the last open or handshake failed, for the log ("no answer to WHO_RU").
    std::string failureReason() const;
    // The same in words for the pedal's owner ("Permission denied", "it does not answer").
    std::string failureCause() const;

    std::shared_ptr<Model> model() const;
    std::set<std::uint8_t> commands() const;
    Timeouts timeouts() const;
    PresetsSchema presetsSchema() const;
    std::optional<AddressableMemory> memory() const;
    void setMemory(std::optional<AddressableMemory> memory);
    LCXreply lcxreply() const;
    void setLcxreply(const LCXreply& reply);
    // Whether a state block has been read since the connection: until then no slot is known.
    bool stateBlockRead() const { return stateBlockRead_; }
    void setStateBlockRead(bool read) { stateBlockRead_ = read; }

  private:
    // `cause` says it for the pedal's owner; the reason itself when empty.
    void fail(std::string reason, std::string cause = {});
    std::optional<UARTResponse> switchAgainAndHandshake();
    // Keeps what a handshake found.
    void adopt(const UARTResponse& handshake);

    QORUARTDevice& device_;
    // The node's number as `open` found it, and whether the pedal was assumed to be at
    // its fast speed already (so was not told to switch).
    std::uint64_t nodeFilenumber_ = 0;
    bool speedSwitchSkipped_ = false;
    std::atomic<bool> stateBlockRead_ = false;

    // Written on the pedal's queue under mutex_.
    mutable std::mutex mutex_;
    std::shared_ptr<Model> model_;
    std::set<std::uint8_t> commands_;
    Timeouts timeouts_;
    PresetsSchema presetsSchema_;
    std::optional<AddressableMemory> memory_;
    std::string failure_;
    std::string failureCause_;
    LCXreply lcxreply_{};
};

}  // namespace harbrix
