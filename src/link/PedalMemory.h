// The pedal's RAM seen through "PEEKC" and "POKEC": values of 1 to 8 bytes, the settings
// words named by the memory map, the settings block the application shows, and the
// factory reset.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "link/SettingsBlock.h"
#include "platform/Bytes.h"

namespace harbrix {

class QORUARTDevice;

class PedalMemory {
  public:
    explicit PedalMemory(QORUARTDevice& device) : device_(device) {}
    PedalMemory(const PedalMemory&) = delete;
    PedalMemory& operator=(const PedalMemory&) = delete;

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

    // The settings last read, handed out as a copy.
    SettingsBlock settings() const;
    void setSettings(const SettingsBlock& settings);
    // Stores the settings and tells the delegate on the main rail when they changed.
    void updateSettings(const SettingsBlock& settings);

    // Factory-reset mask bits.
    static constexpr std::uint32_t kRestorePresets = 1, kRestoreExpression = 2, kRestoreMIDI = 4,
                                   kRestoreDisplay = 8, kRestoreEverything = 16;
    // Every other command of this pedal is refused while the reset runs, and again accepted
    // once it returns, whatever happened. False without a memory map.
    bool resetToFactoryDefaults(std::uint32_t mask);

  private:
    std::optional<std::uint32_t> memoryAddress(std::string_view key) const;
    std::optional<Bytes> peek(std::uint8_t sizeCode, std::uint32_t count, std::uint32_t address);
    bool poke(std::uint8_t sizeCode, std::uint64_t value, std::uint32_t address);

    QORUARTDevice& device_;
    std::mutex resetMutex_;  // one factory reset at a time
    mutable std::mutex settingsMutex_;
    SettingsBlock settings_;
};

}  // namespace harbrix
