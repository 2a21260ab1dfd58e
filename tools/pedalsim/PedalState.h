// What the simulated pedal remembers: its preset slots, its global settings, the line
// speed agreed with the host and the little state its status block reports.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "FlashImage.h"
#include "platform/Bytes.h"

namespace harbrix::pedalsim {

inline constexpr std::size_t kSlotCount = 100;
inline constexpr std::size_t kPresetSize = 104;
inline constexpr std::size_t kNameSize = 24;
inline constexpr std::uint32_t kBootSpeed = 115200;

// The seven global settings, one 32-bit word each, in the order of the pedal's memory.
struct Settings {
    std::uint32_t midiChannel = 1;
    std::uint32_t midiThru = 0;
    std::uint32_t midiKeyboard = 0;
    std::uint32_t midiPitchWheelSensitivity = 2;
    std::uint32_t displayContrast = 8;
    std::uint32_t displayHomeview = 0;
    std::uint32_t displayNameCrawl = 1;

    bool operator==(const Settings&) const = default;
};

class PedalState {
  public:
    // Empty slots, default settings, boot speed.
    PedalState() = default;
    // The state a pedal leaves the factory with: a few presets in the first slots.
    static PedalState factory();

    const std::optional<Bytes>& preset(std::size_t index) const;
    bool occupied(std::size_t index) const;
    // False (and nothing changes) for an index or a size the pedal cannot hold.
    bool setPreset(std::size_t index, Bytes bytes);
    bool erasePreset(std::size_t index);

    bool edited(std::size_t index) const;
    void setEdited(std::size_t index, bool edited);

    const Settings& settings() const { return settings_; }
    void setSettings(const Settings& settings);

    std::uint32_t speed() const { return speed_; }
    void setSpeed(std::uint32_t speed);

    std::uint8_t selectedPreset() const { return selectedPreset_; }
    void setSelectedPreset(std::uint8_t index);

    bool effectEnabled() const { return effectEnabled_; }
    void setEffectEnabled(bool enabled);

    // True once after any change, so the owner knows to save.
    bool takeChanged();

    // The flash chip keeps itself (see FlashImage); copies of the state share the one chip.
    FlashImage& flash() const { return *flash_; }

  private:
    std::array<std::optional<Bytes>, kSlotCount> presets_{};
    std::bitset<kSlotCount> edited_{};
    Settings settings_{};
    std::uint32_t speed_ = kBootSpeed;
    std::uint8_t selectedPreset_ = 0;
    bool effectEnabled_ = true;
    bool changed_ = false;
    std::shared_ptr<FlashImage> flash_ = std::make_shared<FlashImage>();
};

// A 104-byte preset with its name (padded with spaces as the pedal stores it).
Bytes makePreset(std::string_view name);

}  // namespace harbrix::pedalsim
