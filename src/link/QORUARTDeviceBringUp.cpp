// Bringing a pedal up: open and switch the line, the four-command handshake, the memory
// map, and reading the pedal's state block.
#include "link/Commands.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr std::uint32_t kStartSpeed = 115200;
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
    model_ = response->model;
    commands_ = response->commands;
    timeouts_ = response->timeouts;
    presetsSchema_ = response->presetsSchema;
    memory_ = model_ ? AddressableMemory::addressableMemory(*model_) : std::nullopt;
    return true;
}

// The node is one we switched before, but the pedal behind it has restarted since (a power
// cycle, a reboot, a firmware update) and is back at its boot speed: tell it again.
std::optional<UARTResponse> QORUARTDevice::switchAgainAndHandshake() {
    const std::uint32_t speed = speedForModel(name_);
    if (speed == 0 || speed == kStartSpeed || file_ < 0) return std::nullopt;
    logLine("NO ANSWER AT SPEED: GO TURBO (device) AGAIN");
    if (!line_->setSpeed(file_, kStartSpeed)) return std::nullopt;
    line_->discardInput(file_);
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
