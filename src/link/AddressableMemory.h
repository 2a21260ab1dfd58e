// The pedal's memory map: stable names such as "midi/channel" to RAM addresses, which move
// with the firmware's major version.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace harbrix {

class Model;

class AddressableMemory {
  public:
    using Group = std::map<std::string, std::uint32_t, std::less<>>;
    using Entry = std::variant<std::uint32_t, Group>;  // an offset, or a group of offsets

    // Firmware major version -> base address.
    static const std::map<std::uint16_t, std::uint32_t>& bases();
    // The base for the model's firmware major, 0 when the table has none.
    static std::uint32_t base(const Model& model);
    // The map of a MIV3 (firmware majors past the table use the newest base); nullopt for
    // any other model.
    static std::optional<AddressableMemory> addressableMemory(const Model& model);
    static AddressableMemory withBase(std::uint32_t base);

    // "base", "selected-preset", "midi/channel", "display/contrast", "factory-reset", ...
    std::optional<std::uint32_t> operator[](std::string_view key) const;

  private:
    std::uint32_t base_ = 0;
    std::map<std::string, Entry, std::less<>> core_;
};

}  // namespace harbrix
