// The pedal's command codes and their protocol names.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace harbrix::Command {
inline constexpr std::uint8_t INVALID_CMD = 0x00, GET_CMDS = 0x01, READ_FLASH = 0x02,
                              READ_PAGE = 0x03, GET_TMO = 0x05, DO_NOT_USE = 0x0A, WHO_RU = 0x0D,
                              PRESET_INFO = 0x10, READ_PRESET = 0x11, GET_PRESET = 0x12,
                              GET_PRESET_NAME = 0x13, GET_XFER = 0x14, BAUD_LIST = 0x15,
                              LOCAL_CONTROLX = 0x16, PEEKC = 0x70, TON_INFO = 0x71, GET_TON = 0x72,
                              READ_TON = 0x73, SUSPENDC = 0x80, RECOVERC = 0x81, REBOOTC = 0x82,
                              WRITE_FLASH = 0x83, WRITE_PAGE = 0x84, WRITE_PRESET = 0x90,
                              SET_PRESET = 0x91, ERASE_PRESET = 0x92, SET_PRESET_NAME = 0x93,
                              SET_XFER = 0x94, SET_BAUD = 0x95, POKEC = 0xF0, LOCAL_CONTROL = 0xF1,
                              MIDI_JAM = 0xF2, SET_TON = 0xF3, WRITE_TON = 0xF4;
}  // namespace harbrix::Command

namespace harbrix {

// The protocol name of a command code (used to label history entries); none for a code the
// protocol does not define.
std::optional<std::string_view> commandName(std::uint8_t code);

}  // namespace harbrix
