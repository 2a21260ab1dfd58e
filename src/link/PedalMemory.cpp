// The pedal's RAM seen through "PEEKC" and "POKEC": values of 1 to 8 bytes, the settings
// words named by the memory map, and the factory-reset trigger.
#include "link/PedalMemory.h"

#include <chrono>
#include <thread>

#include "link/Commands.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"

namespace harbrix {
namespace {

// Size codes of the four value widths.
constexpr std::uint8_t kByte = 0, kShort = 1, kInt = 2, kLong = 3;
constexpr std::uint32_t kSettingsWords = 7;
// The pedal rewrites its preset store after a reset that restores presets.
constexpr auto kPresetRestoreTime = std::chrono::milliseconds(500);

template <typename T>
T littleEndian(const std::optional<Bytes>& bytes) {
    if (!bytes) return 0;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>((*bytes)[i]) << (8 * i);
    return value;
}

Bytes littleEndianBytes(std::uint64_t value, std::size_t width) {
    Bytes bytes(width);
    for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

// Ends the refusal of commands that the engine starts when it sees the reset poke, on every
// way out of the reset.
class ResetWindow {
  public:
    explicit ResetWindow(std::atomic<bool>& resetting) : resetting_(resetting) {}
    ~ResetWindow() { resetting_ = false; }
    ResetWindow(const ResetWindow&) = delete;
    ResetWindow& operator=(const ResetWindow&) = delete;

  private:
    std::atomic<bool>& resetting_;
};

}  // namespace

std::optional<std::uint32_t> PedalMemory::memoryAddress(std::string_view key) const {
    const auto memory = device_.memory();
    return memory ? (*memory)[key] : std::nullopt;
}

// Request: PEEKC, size code, count, address. The reply's payload must hold every value asked
// for; anything shorter is a failed read.
std::optional<Bytes> PedalMemory::peek(std::uint8_t sizeCode, std::uint32_t count,
                                       std::uint32_t address) {
    const auto request = buildRequest(Command::PEEKC, sizeCode, count, address);
    const auto reply = request ? device_.line().execute(Command::PEEKC, *request) : std::nullopt;
    if (!reply || reply->error != 0 || reply->data.size() < count * elementSize(sizeCode))
        return std::nullopt;
    return reply->data;
}

// Request: POKEC, size code, 1, address; payload: the value, little-endian.
bool PedalMemory::poke(std::uint8_t sizeCode, std::uint64_t value, std::uint32_t address) {
    const auto request = buildRequest(Command::POKEC, sizeCode, 1, address,
                                      littleEndianBytes(value, elementSize(sizeCode)));
    if (!request) return false;
    const auto resetAddress = memoryAddress("factory-reset");
    if (!resetAddress || address != *resetAddress) {
        const auto reply = device_.line().execute(Command::POKEC, *request);
        return reply && reply->error == 0;
    }
    // A reset, however it is asked for: the engine refuses every other command from the moment
    // it sees this poke, so the refusal must end here, and resets must not overlap.
    std::lock_guard one(resetMutex_);
    ResetWindow window(device_.line().resettingFlag());
    const auto reply = device_.line().execute(Command::POKEC, *request);
    if (value & kRestorePresets) std::this_thread::sleep_for(kPresetRestoreTime);
    return reply && reply->error == 0;
}

std::uint8_t PedalMemory::peekByteAtAddress(std::uint32_t address) {
    return littleEndian<std::uint8_t>(peek(kByte, 1, address));
}

std::uint16_t PedalMemory::peekShortAtAddress(std::uint32_t address) {
    return littleEndian<std::uint16_t>(peek(kShort, 1, address));
}

std::uint32_t PedalMemory::peekIntAtAddress(std::uint32_t address) {
    return littleEndian<std::uint32_t>(peek(kInt, 1, address));
}

std::uint64_t PedalMemory::peekLongAtAddress(std::uint32_t address) {
    return littleEndian<std::uint64_t>(peek(kLong, 1, address));
}

bool PedalMemory::pokeByte(std::uint8_t value, std::uint32_t address) {
    return poke(kByte, value, address);
}

bool PedalMemory::pokeShort(std::uint16_t value, std::uint32_t address) {
    return poke(kShort, value, address);
}

bool PedalMemory::pokeInt(std::uint32_t value, std::uint32_t address) {
    return poke(kInt, value, address);
}

bool PedalMemory::pokeLong(std::uint64_t value, std::uint32_t address) {
    return poke(kLong, value, address);
}

namespace {

// The settings accessors read and write whole words; flags live in the low byte.
std::uint32_t settingWord(PedalMemory& device, std::optional<std::uint32_t> address) {
    return address ? device.peekIntAtAddress(*address) : 0;
}

void setSettingWord(PedalMemory& device, std::optional<std::uint32_t> address,
                    std::uint32_t value) {
    if (address) device.pokeInt(value, *address);
}

bool lowByteSet(std::uint32_t word) {
    return (word & 0xFF) != 0;
}

}  // namespace

std::uint32_t PedalMemory::midiChannel() {
    return settingWord(*this, memoryAddress("midi/channel"));
}

void PedalMemory::setMidiChannel(std::uint32_t channel) {
    setSettingWord(*this, memoryAddress("midi/channel"), channel);
}

bool PedalMemory::midiThru() {
    return lowByteSet(settingWord(*this, memoryAddress("midi/thru")));
}

void PedalMemory::setMidiThru(bool enabled) {
    setSettingWord(*this, memoryAddress("midi/thru"), enabled ? 1 : 0);
}

bool PedalMemory::midiKeyboard() {
    return lowByteSet(settingWord(*this, memoryAddress("midi/keyboard")));
}

void PedalMemory::setMidiKeyboard(bool enabled) {
    setSettingWord(*this, memoryAddress("midi/keyboard"), enabled ? 1 : 0);
}

std::uint32_t PedalMemory::contrast() {
    return settingWord(*this, memoryAddress("display/contrast"));
}

void PedalMemory::setContrast(std::uint32_t contrast) {
    setSettingWord(*this, memoryAddress("display/contrast"), contrast);
}

std::uint32_t PedalMemory::homeview() {
    return settingWord(*this, memoryAddress("display/homeview"));
}

void PedalMemory::setHomeview(std::uint32_t homeview) {
    setSettingWord(*this, memoryAddress("display/homeview"), homeview);
}

bool PedalMemory::nameCrawlEnabled() {
    return lowByteSet(settingWord(*this, memoryAddress("display/name-crawl")));
}

void PedalMemory::setNameCrawlEnabled(bool enabled) {
    setSettingWord(*this, memoryAddress("display/name-crawl"), enabled ? 1 : 0);
}

// The seven words from "midi/channel" on, in the order of the settings block.
std::optional<SettingsBlock> PedalMemory::readSettings() {
    const auto address = memoryAddress("midi/channel");
    if (!address) return std::nullopt;
    const auto words = peek(kInt, kSettingsWords, *address);
    return words ? SettingsBlock::fromWords(*words) : std::nullopt;
}

void PedalMemory::refreshSettings() {
    if (const auto settings = readSettings()) updateSettings(*settings);
}

bool PedalMemory::resetToFactoryDefaults(std::uint32_t mask) {
    const auto address = memoryAddress("factory-reset");
    return address && pokeInt(mask, *address);
}

SettingsBlock PedalMemory::settings() const {
    std::lock_guard lock(settingsMutex_);
    return settings_;
}

void PedalMemory::setSettings(const SettingsBlock& settings) {
    std::lock_guard lock(settingsMutex_);
    settings_ = settings;
}

void PedalMemory::updateSettings(const SettingsBlock& settings) {
    {
        std::lock_guard lock(settingsMutex_);
        if (settings == settings_) return;
        settings_ = settings;
    }
    std::weak_ptr<QORUARTDevice> weak = device_.weak_from_this();
    rail(Rails::main(), [weak] {
        DeviceDelegate* delegate = QORUARTDevice::delegate();
        if (delegate == nullptr) return;
        // The settings as they are at delivery time; all zero once the pedal has gone.
        const auto device = weak.lock();
        delegate->deviceHasUpdatedSettings(device,
                                           device ? device->ram().settings() : SettingsBlock{});
    });
}

}  // namespace harbrix
