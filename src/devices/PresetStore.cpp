// Reading, writing, erasing, naming and selecting presets on the pedal, and the preset cache
// those operations keep current.
#include "devices/PresetStore.h"

#include <algorithm>

#include "devices/DeviceRecord.h"
#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "link/Commands.h"
#include "link/NumberText.h"
#include "link/Request.h"
#include "link/StringPad.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr double kWriteWait = 0.1;
constexpr double kEraseWait = 0.25;
constexpr std::uint32_t kLoadFlag = 256;
constexpr std::uint8_t kEmptySlot = 6;

bool succeeded(const std::optional<UARTResponse>& response) {
    return response && response->error == 0;
}

std::optional<std::size_t> slotForKey(std::string_view key) {
    const auto number = numberWithString(key);
    if (!number) return std::nullopt;
    return static_cast<std::size_t>(*number);
}

std::optional<std::uint32_t> selectedPresetAddress(const QORUARTDevice& device) {
    const auto memory = device.memory();
    return memory ? (*memory)["selected-preset"] : std::nullopt;
}

}  // namespace

bool PresetStore::refusesSlot(std::size_t slot) const {
    return slot >= device_.presetsSchema().presets;
}

void PresetStore::cacheAndAnnounce(std::shared_ptr<Preset> preset, std::size_t slot) {
    {
        std::lock_guard lock(mutex_);
        presets_[slot] = std::move(preset);
    }
    // A device that is not shared (a bare test object) has nobody to tell.
    DeviceRegistry::deviceHasUpdatedPresetAtIndex(device_.weak_from_this().lock(), slot);
}

// +--------+-------+-----------+-----------------------------+
// | offset | width | field     | value                       |
// +--------+-------+-----------+-----------------------------+
// | 0      | 1     | command   | 0x11 READ_PRESET            |
// | 1      | 1     | size code | schema stride               |
// | 2      | 2     | count     | schema parameters           |
// | 4      | 4     | argument  | slot                        |
// +--------+-------+-----------+-----------------------------+
std::shared_ptr<Preset> PresetStore::read(std::size_t slot) {
    if (refusesSlot(slot)) return nullptr;
    const PresetsSchema schema = device_.presetsSchema();
    const auto request = buildRequest(Command::READ_PRESET, schema.stride, schema.parameters,
                                      static_cast<std::uint32_t>(slot));
    const auto response =
        request ? device_.line().execute(Command::READ_PRESET, *request) : std::nullopt;
    if (!response) return nullptr;
    if (response->error == kEmptySlot) return Preset::emptyPresetForDevice(&device_);
    return Preset::presetWithSerialized(response->data, &device_);
}

// +--------+-------+-----------+-----------------------------------------------+
// | offset | width | field     | value                                         |
// +--------+-------+-----------+-----------------------------------------------+
// | 0      | 1     | command   | 0x90 WRITE_PRESET                             |
// | 1      | 1     | size code | schema stride                                 |
// | 2      | 2     | count     | schema parameters                             |
// | 4      | 4     | argument  | slot                                          |
// | 8      | n     | payload   | the working bytes; n = parameters x stride    |
// +--------+-------+-----------+-----------------------------------------------+
bool PresetStore::write(const std::shared_ptr<Preset>& preset, std::size_t slot) {
    if (!preset || refusesSlot(slot)) return false;
    const PresetsSchema schema = device_.presetsSchema();
    const auto request = buildRequest(Command::WRITE_PRESET, schema.stride, schema.parameters,
                                      static_cast<std::uint32_t>(slot), preset->serialized());
    if (!request || !succeeded(device_.line().execute(Command::WRITE_PRESET, *request, kWriteWait)))
        return false;
    // A saved copy of what was written: the caller's object stays the caller's.
    cacheAndAnnounce(preset->copy(), slot);
    return true;
}

// 0x92 ERASE_PRESET, size code 0, count 0, argument the slot.
bool PresetStore::erase(std::size_t slot) {
    if (refusesSlot(slot)) return false;
    const auto request =
        buildRequest(Command::ERASE_PRESET, 0, 0, static_cast<std::uint32_t>(slot));
    if (!request ||
        !succeeded(device_.line().execute(Command::ERASE_PRESET, *request, kEraseWait))) {
        logFormat("erase failed (%zu)", slot);
        return false;
    }
    cacheAndAnnounce(Preset::emptyPresetForDevice(&device_), slot);
    return true;
}

// 0x13 GET_PRESET_NAME, size code 0, count 0, argument the slot.
std::optional<std::string> PresetStore::name(std::size_t slot) {
    if (refusesSlot(slot)) return std::nullopt;
    const auto request =
        buildRequest(Command::GET_PRESET_NAME, 0, 0, static_cast<std::uint32_t>(slot));
    const auto response =
        request ? device_.line().execute(Command::GET_PRESET_NAME, *request) : std::nullopt;
    if (!succeeded(response)) return std::nullopt;
    return response->string;
}

// +--------+-------+-----------+----------------------------------------------+
// | offset | width | field     | value                                        |
// +--------+-------+-----------+----------------------------------------------+
// | 0      | 1     | command   | 0x93 SET_PRESET_NAME                         |
// | 1      | 1     | size code | 0                                            |
// | 2      | 2     | count     | name bytes, the terminating 0 included       |
// | 4      | 4     | argument  | slot                                         |
// | 8      | count | payload   | ASCII name, "~" as "-", then 0               |
// +--------+-------+-----------+----------------------------------------------+
bool PresetStore::setName(const std::string& name, std::size_t slot) {
    if (name.empty() || refusesSlot(slot)) return false;
    const Bytes bytes = sanitizedData(name);
    // Only the terminator left: the pedal would be told to blank the name.
    if (bytes.size() < 2) return false;
    const auto request =
        buildRequest(Command::SET_PRESET_NAME, 0, static_cast<std::uint32_t>(bytes.size()),
                     static_cast<std::uint32_t>(slot), bytes);
    return request && succeeded(device_.line().execute(Command::SET_PRESET_NAME, *request));
}

// 0x12 GET_PRESET, size code 0, count 1, argument 0.
bool PresetStore::isloaded() {
    const auto request = buildRequest(Command::GET_PRESET, 0, 1, 0);
    return request && succeeded(device_.line().execute(Command::GET_PRESET, *request));
}

// 0x91 SET_PRESET, size code 0, count 0, argument the slot, plus 256 to load it as well.
bool PresetStore::select(std::size_t slot, bool load) {
    if (refusesSlot(slot)) return false;
    const auto address = selectedPresetAddress(device_);
    if (!address || !device_.ram().pokeInt(static_cast<std::uint32_t>(slot), *address))
        return false;
    const auto argument = static_cast<std::uint32_t>(slot) + (load ? kLoadFlag : 0);
    const auto request = buildRequest(Command::SET_PRESET, 0, 0, argument);
    return request && succeeded(device_.line().execute(Command::SET_PRESET, *request));
}

std::optional<std::uint8_t> PresetStore::selected() {
    const auto address = selectedPresetAddress(device_);
    if (!address) return std::nullopt;
    return static_cast<std::uint8_t>(device_.ram().peekIntAtAddress(*address) & 0xFF);
}

bool PresetStore::supportsPresetEditing() const {
    static constexpr std::uint8_t kEditing[] = {Command::PRESET_INFO,  Command::READ_PRESET,
                                                Command::GET_PRESET,   Command::GET_PRESET_NAME,
                                                Command::WRITE_PRESET, Command::SET_PRESET,
                                                Command::ERASE_PRESET, Command::SET_PRESET_NAME};
    const std::set<std::uint8_t> commands = device_.commands();
    if (commands.empty()) return false;
    return std::all_of(std::begin(kEditing), std::end(kEditing),
                       [&commands](std::uint8_t code) { return commands.count(code) != 0; });
}

PresetStore& presets(const QORUARTDevice& device) {
    return deviceRecord(device).presets;
}

std::shared_ptr<Preset> PresetStore::cached(std::size_t slot) const {
    std::lock_guard lock(mutex_);
    const auto it = presets_.find(slot);
    return it == presets_.end() ? nullptr : it->second;
}

std::shared_ptr<Preset> PresetStore::cached(std::string_view key) const {
    const auto slot = slotForKey(key);
    return slot ? cached(*slot) : nullptr;
}

void PresetStore::setCached(std::shared_ptr<Preset> preset, std::size_t slot) {
    if (!preset) return;
    std::lock_guard lock(mutex_);
    presets_[slot] = std::move(preset);
}

bool PresetStore::setCached(std::shared_ptr<Preset> preset, std::string_view key) {
    const auto slot = slotForKey(key);
    if (!preset || !slot) return false;
    setCached(std::move(preset), *slot);
    return true;
}

}  // namespace harbrix
