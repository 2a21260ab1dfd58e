// The command vocabulary as the pedal's firmware knows it: codes, names, which
// requests carry a payload, and which commands each model advertises.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "Model.h"

namespace harbrix::pedalsim {

namespace command {
inline constexpr std::uint8_t kGetCmds = 0x01;
inline constexpr std::uint8_t kReadFlash = 0x02;
inline constexpr std::uint8_t kReadPage = 0x03;
inline constexpr std::uint8_t kGetTmo = 0x05;
inline constexpr std::uint8_t kWhoRU = 0x0D;
inline constexpr std::uint8_t kPresetInfo = 0x10;
inline constexpr std::uint8_t kReadPreset = 0x11;
inline constexpr std::uint8_t kGetPreset = 0x12;
inline constexpr std::uint8_t kGetPresetName = 0x13;
inline constexpr std::uint8_t kLocalControlX = 0x16;
inline constexpr std::uint8_t kPeekC = 0x70;
inline constexpr std::uint8_t kSuspendC = 0x80;
inline constexpr std::uint8_t kRecoverC = 0x81;
inline constexpr std::uint8_t kRebootC = 0x82;
inline constexpr std::uint8_t kWriteFlash = 0x83;
inline constexpr std::uint8_t kWritePage = 0x84;
inline constexpr std::uint8_t kWritePreset = 0x90;
inline constexpr std::uint8_t kSetPreset = 0x91;
inline constexpr std::uint8_t kErasePreset = 0x92;
inline constexpr std::uint8_t kSetPresetName = 0x93;
inline constexpr std::uint8_t kSetBaud = 0x95;
inline constexpr std::uint8_t kPokeC = 0xF0;
inline constexpr std::uint8_t kMidiJam = 0xF2;
}  // namespace command

struct CommandInfo {
    std::uint8_t code;
    std::string_view name;
    bool carriesPayload;  // the header's count × element size bytes follow it
};

std::span<const CommandInfo> commandTable();
const CommandInfo* findCommand(std::uint8_t code);
bool carriesPayload(std::uint8_t code);

// A command given on the command line: its name ("READ_PRESET"), a decimal or a 0x code.
std::optional<std::uint8_t> parseCommand(std::string_view text);

// The codes "GET_CMDS" reports, in the order it reports them.
const std::vector<std::uint8_t>& supportedCommands(Model model);

}  // namespace harbrix::pedalsim
