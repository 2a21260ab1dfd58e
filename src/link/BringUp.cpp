// Bringing a pedal up: open and switch the line, the four-command handshake, the memory
// map, and reading the pedal's state block.
#include "link/BringUp.h"

#include <cstring>

#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr std::uint32_t kStartSpeed = QORUARTDevice::kBootSpeed;
constexpr const char* kNoAnswer = "it does not answer";
constexpr unsigned kSlotBits = 128;

bool succeeded(const std::optional<UARTResponse>& response) {
    return response && response->error == 0;
}

}  // namespace

bool BringUp::completeInitialization() {
    if (!open()) return false;
    auto response = handshake();
    if (!response && speedSwitchSkipped_) response = switchAgainAndHandshake();
    if (!response) return false;
    // Only a pedal that answered at its fast speed proves the node's number worth keeping.
    if (device_.filenumber() != nodeFilenumber_) device_.setFilenumber(nodeFilenumber_);
    adopt(*response);
    return true;
}

bool BringUp::bringUpAgain() {
    const std::uint32_t speed = QORUARTDevice::speedForModel(device_.name());
    if (!device_.line().setHostSpeed(kStartSpeed)) return false;
    logLine("GO TURBO (device)");
    if (!setDeviceSpeed(speed)) {
        fail("no answer to SET_BAUD", kNoAnswer);
        return false;
    }
    logLine("GO TURBO (system)");
    if (!device_.line().setHostSpeed(speed != 0 ? speed : kStartSpeed)) {
        fail("cannot set the line speed", "its port cannot be set to the pedal's speed");
        return false;
    }
    const auto response = handshake();
    if (!response) return false;
    adopt(*response);
    return true;
}

void BringUp::adopt(const UARTResponse& handshake) {
    auto memory =
        handshake.model ? AddressableMemory::addressableMemory(*handshake.model) : std::nullopt;
    std::lock_guard lock(mutex_);
    // A pedal back from a restart on the same firmware keeps its model, and with it what
    // that model's firmware checker has found.
    if (!model_ || !handshake.model || !(*model_ == *handshake.model)) model_ = handshake.model;
    commands_ = handshake.commands;
    timeouts_ = handshake.timeouts;
    presetsSchema_ = handshake.presetsSchema;
    memory_ = std::move(memory);
}

std::shared_ptr<Model> BringUp::model() const {
    std::lock_guard lock(mutex_);
    return model_;
}

std::set<std::uint8_t> BringUp::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

Timeouts BringUp::timeouts() const {
    std::lock_guard lock(mutex_);
    return timeouts_;
}

PresetsSchema BringUp::presetsSchema() const {
    std::lock_guard lock(mutex_);
    return presetsSchema_;
}

std::optional<AddressableMemory> BringUp::memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void BringUp::setMemory(std::optional<AddressableMemory> memory) {
    std::lock_guard lock(mutex_);
    memory_ = std::move(memory);
}

// The node is one we switched before, but the pedal behind it has restarted since (a power
// cycle, a reboot, a firmware update) and is back at its boot speed: tell it again.
std::optional<UARTResponse> BringUp::switchAgainAndHandshake() {
    const std::uint32_t speed = QORUARTDevice::speedForModel(device_.name());
    if (speed == 0 || speed == kStartSpeed || device_.line().file() < 0) return std::nullopt;
    logLine("NO ANSWER AT SPEED: GO TURBO (device) AGAIN");
    if (!device_.line().setHostSpeed(kStartSpeed)) return std::nullopt;
    speedSwitchSkipped_ = false;
    if (!setDeviceSpeed(speed)) {
        fail("no answer to SET_BAUD", kNoAnswer);
        return std::nullopt;
    }
    if (!device_.line().serialLine().setSpeed(device_.line().file(), speed)) {
        fail("cannot set the line speed", "its port cannot be set to the pedal's speed");
        return std::nullopt;
    }
    return handshake();
}

std::optional<UARTResponse> BringUp::handshake() {
    struct Step {
        std::uint8_t command;
        std::uint32_t count;
        const char* name;
    };
    // WHO_RU, GET_CMDS, GET_TMO (four bytes wanted), PRESET_INFO; all other fields zero.
    static constexpr Step steps[] = {
        {Command::WHO_RU, 0, "WHO_RU"},
        {Command::GET_CMDS, 0, "GET_CMDS"},
        {Command::GET_TMO, 4, "GET_TMO"},
        {Command::PRESET_INFO, 0, "PRESET_INFO"},
    };
    UARTResponse result = UARTResponse::response();
    for (const Step& step : steps) {
        const auto request = buildRequest(step.command, 0, step.count, 0);
        const auto reply = request ? device_.line().execute(step.command, *request) : std::nullopt;
        if (!succeeded(reply)) {
            fail(std::string("no answer to ") + step.name, kNoAnswer);
            return std::nullopt;
        }
        switch (step.command) {
            case Command::WHO_RU:
                result.model = reply->model;
                break;
            case Command::GET_CMDS:
                result.commands = reply->commands;
                break;
            case Command::GET_TMO:
                result.timeouts = reply->timeouts;
                break;
            default:
                result.presetsSchema = reply->presetsSchema;
                break;
        }
    }
    return result;
}

bool BringUp::setDeviceSpeed(std::uint32_t speed) {
    const auto request = buildRequest(Command::SET_BAUD, 2, 0, speed != 0 ? speed : kStartSpeed);
    return request && succeeded(device_.line().execute(Command::SET_BAUD, *request));
}

bool BringUp::enableHardwareControl() {
    const auto request = buildRequest(Command::LOCAL_CONTROLX, 0, 0, 0);
    return request && succeeded(device_.line().execute(Command::LOCAL_CONTROLX, *request));
}

LCXreply BringUp::getInitialDeviceState() {
    return readDeviceState().value_or(LCXreply{});
}

std::optional<LCXreply> BringUp::readDeviceState() {
    const auto request = buildRequest(Command::LOCAL_CONTROLX, 0, 3, 16);
    const auto reply =
        request ? device_.line().execute(Command::LOCAL_CONTROLX, *request) : std::nullopt;
    if (!succeeded(reply)) return std::nullopt;
    return reply->lcxreply;
}

void BringUp::getDeviceState() {
    const LCXreply state = getInitialDeviceState();
    setLcxreply(state);
    enableHardwareControl();
    for (unsigned slot = 0; slot < kSlotBits; ++slot)
        if (state.isEdited(slot)) logFormat("preset %u was edited on the device", slot + 1);
    device_.ram().updateSettings(SettingsBlock::fromLCXreply(state));
}

bool BringUp::open() {
    if (device_.filename().empty()) return false;
    const std::string path = device_.deviceRoot() + "/" + device_.filename();
    const std::uint64_t current = device_.line().serialLine().fileNumber(path);
    if (current == 0) {
        fail("cannot open " + path + ": no such device node", "its device node is missing");
        return false;
    }
    const int fd = device_.line().serialLine().open(path);
    if (fd < 0) {
        fail("cannot open " + path + ": " + std::strerror(-fd), std::strerror(-fd));
        return false;
    }
    device_.line().setFile(fd);
    if (!device_.line().serialLine().claimExclusive(fd)) {
        fail("cannot open " + path + ": it is in use by another program",
             "it is in use by another program");
        return false;
    }
    if (!device_.line().serialLine().clearStatusFlags(fd) ||
        !device_.line().serialLine().configureRaw(fd)) {
        fail("cannot configure " + path + " as a serial line", "its port cannot be set up");
        return false;
    }

    const std::uint32_t speed = QORUARTDevice::speedForModel(device_.name());
    nodeFilenumber_ = current;
    speedSwitchSkipped_ = true;
    if (device_.filenumber() != current) {
        const std::uint64_t cached = device_.cache().unsignedValue("filenumber").value_or(0);
        if (device_.filenumber() != cached) device_.setFilenumber(cached);
        if (cached != current) {
            // A node we have not seen: the pedal was just attached and still runs at 115200.
            // The number is remembered once the pedal has answered at its new speed.
            logFormat("FILE NUMBERS DIFFER (%llu:%llu)", static_cast<unsigned long long>(cached),
                      static_cast<unsigned long long>(current));
            logLine("GO TURBO (device)");
            // A pedal that kept its power while its USB side came and went still runs at its
            // fast speed and hears nothing at 115200: the handshake at that speed decides, and
            // one more switch is tried when it does not answer there either.
            speedSwitchSkipped_ = !setDeviceSpeed(speed);
            if (speedSwitchSkipped_) logLine("no answer to SET_BAUD: trying the pedal's speed");
        }
    }
    logLine("GO TURBO (system)");
    if (!device_.line().serialLine().setSpeed(fd, speed != 0 ? speed : kStartSpeed)) {
        fail("cannot set the line speed of " + path, "its port cannot be set to the pedal's speed");
        return false;
    }
    return true;
}

void BringUp::fail(std::string reason, std::string cause) {
    logLine(reason);
    std::lock_guard lock(mutex_);
    failure_ = std::move(reason);
    failureCause_ = std::move(cause);
}

std::string BringUp::failureReason() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::string BringUp::failureCause() const {
    std::lock_guard lock(mutex_);
    return failureCause_.empty() ? failure_ : failureCause_;
}

LCXreply BringUp::lcxreply() const {
    std::lock_guard lock(mutex_);
    return lcxreply_;
}

void BringUp::setLcxreply(const LCXreply& reply) {
    std::lock_guard lock(mutex_);
    lcxreply_ = reply;
}
}  // namespace harbrix
