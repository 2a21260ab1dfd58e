// Bringing a pedal up: open and switch the line, the four-command handshake, the memory
// map, and reading the pedal's state block.
#include "link/Commands.h"
#include "link/DeviceDelegate.h"
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

bool QORUARTDevice::completeInitialization() {
    if (!open()) return false;
    auto response = handshake();
    if (!response && speedSwitchSkipped_) response = switchAgainAndHandshake();
    if (!response) return false;
    // Only a pedal that answered at its fast speed proves the node's number worth keeping.
    if (filenumber_ != nodeFilenumber_) setFilenumber(nodeFilenumber_);
    adopt(*response);
    return true;
}

bool QORUARTDevice::bringUpAgain() {
    const std::uint32_t speed = speedForModel(name_);
    if (!setHostSpeed(kStartSpeed)) return false;
    logLine("GO TURBO (device)");
    if (!setDeviceSpeed(speed)) {
        fail("no answer to SET_BAUD", kNoAnswer);
        return false;
    }
    logLine("GO TURBO (system)");
    if (!setHostSpeed(speed != 0 ? speed : kStartSpeed)) {
        fail("cannot set the line speed", "its port cannot be set to the pedal's speed");
        return false;
    }
    const auto response = handshake();
    if (!response) return false;
    adopt(*response);
    return true;
}

void QORUARTDevice::adopt(const UARTResponse& handshake) {
    auto memory =
        handshake.model ? AddressableMemory::addressableMemory(*handshake.model) : std::nullopt;
    std::lock_guard lock(stateMutex_);
    // A pedal back from a restart on the same firmware keeps its model, and with it what
    // that model's firmware checker has found.
    if (!model_ || !handshake.model || !(*model_ == *handshake.model)) model_ = handshake.model;
    commands_ = handshake.commands;
    timeouts_ = handshake.timeouts;
    presetsSchema_ = handshake.presetsSchema;
    memory_ = std::move(memory);
}

std::shared_ptr<Model> QORUARTDevice::model() const {
    std::lock_guard lock(stateMutex_);
    return model_;
}

std::set<std::uint8_t> QORUARTDevice::commands() const {
    std::lock_guard lock(stateMutex_);
    return commands_;
}

Timeouts QORUARTDevice::timeouts() const {
    std::lock_guard lock(stateMutex_);
    return timeouts_;
}

PresetsSchema QORUARTDevice::presetsSchema() const {
    std::lock_guard lock(stateMutex_);
    return presetsSchema_;
}

std::optional<AddressableMemory> QORUARTDevice::memory() const {
    std::lock_guard lock(stateMutex_);
    return memory_;
}

void QORUARTDevice::setMemory(std::optional<AddressableMemory> memory) {
    std::lock_guard lock(stateMutex_);
    memory_ = std::move(memory);
}

// The node is one we switched before, but the pedal behind it has restarted since (a power
// cycle, a reboot, a firmware update) and is back at its boot speed: tell it again.
std::optional<UARTResponse> QORUARTDevice::switchAgainAndHandshake() {
    const std::uint32_t speed = speedForModel(name_);
    if (speed == 0 || speed == kStartSpeed || file_ < 0) return std::nullopt;
    logLine("NO ANSWER AT SPEED: GO TURBO (device) AGAIN");
    if (!setHostSpeed(kStartSpeed)) return std::nullopt;
    speedSwitchSkipped_ = false;
    if (!setDeviceSpeed(speed)) {
        fail("no answer to SET_BAUD", kNoAnswer);
        return std::nullopt;
    }
    if (!line_->setSpeed(file_, speed)) {
        fail("cannot set the line speed", "its port cannot be set to the pedal's speed");
        return std::nullopt;
    }
    return handshake();
}

std::optional<UARTResponse> QORUARTDevice::handshake() {
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
        const auto reply = request ? execute(step.command, *request) : std::nullopt;
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

bool QORUARTDevice::setDeviceSpeed(std::uint32_t speed) {
    const auto request = buildRequest(Command::SET_BAUD, 2, 0, speed != 0 ? speed : kStartSpeed);
    return request && succeeded(execute(Command::SET_BAUD, *request));
}

bool QORUARTDevice::enableHardwareControl() {
    const auto request = buildRequest(Command::LOCAL_CONTROLX, 0, 0, 0);
    return request && succeeded(execute(Command::LOCAL_CONTROLX, *request));
}

LCXreply QORUARTDevice::getInitialDeviceState() {
    return readDeviceState().value_or(LCXreply{});
}

std::optional<LCXreply> QORUARTDevice::readDeviceState() {
    const auto request = buildRequest(Command::LOCAL_CONTROLX, 0, 3, 16);
    const auto reply = request ? execute(Command::LOCAL_CONTROLX, *request) : std::nullopt;
    if (!succeeded(reply)) return std::nullopt;
    return reply->lcxreply;
}

void QORUARTDevice::getDeviceState() {
    const LCXreply state = getInitialDeviceState();
    setLcxreply(state);
    enableHardwareControl();
    for (unsigned slot = 0; slot < kSlotBits; ++slot)
        if (state.isEdited(slot)) logFormat("preset %u was edited on the device", slot + 1);
    updateSettings(SettingsBlock::fromLCXreply(state));
}

void QORUARTDevice::updateSettings(const SettingsBlock& settings) {
    {
        std::lock_guard lock(stateMutex_);
        if (settings == settings_) return;
        settings_ = settings;
    }
    std::weak_ptr<QORUARTDevice> weak = weak_from_this();
    rail(Rails::main(), [weak] {
        DeviceDelegate* delegate = QORUARTDevice::delegate();
        if (delegate == nullptr) return;
        // The settings as they are at delivery time; all zero once the pedal has gone.
        const auto device = weak.lock();
        delegate->deviceHasUpdatedSettings(device, device ? device->settings() : SettingsBlock{});
    });
}

}  // namespace harbrix
