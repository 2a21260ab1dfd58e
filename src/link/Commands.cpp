// The single code-to-name table of the pedal protocol, checked at compile time against the
// named constants so the two can never drift apart.
#include "link/Commands.h"

#include <array>

namespace harbrix {
namespace {

struct CommandEntry {
    std::uint8_t code;
    std::string_view name;
};

constexpr std::array<CommandEntry, 34> kCommands{{
    {0x00, "INVALID_CMD"},   {0x01, "GET_CMDS"},        {0x02, "READ_FLASH"},
    {0x03, "READ_PAGE"},     {0x05, "GET_TMO"},         {0x0A, "DO_NOT_USE"},
    {0x0D, "WHO_RU"},        {0x10, "PRESET_INFO"},     {0x11, "READ_PRESET"},
    {0x12, "GET_PRESET"},    {0x13, "GET_PRESET_NAME"}, {0x14, "GET_XFER"},
    {0x15, "BAUD_LIST"},     {0x16, "LOCAL_CONTROLX"},  {0x70, "PEEKC"},
    {0x71, "TON_INFO"},      {0x72, "GET_TON"},         {0x73, "READ_TON"},
    {0x80, "SUSPENDC"},      {0x81, "RECOVERC"},        {0x82, "REBOOTC"},
    {0x83, "WRITE_FLASH"},   {0x84, "WRITE_PAGE"},      {0x90, "WRITE_PRESET"},
    {0x91, "SET_PRESET"},    {0x92, "ERASE_PRESET"},    {0x93, "SET_PRESET_NAME"},
    {0x94, "SET_XFER"},      {0x95, "SET_BAUD"},        {0xF0, "POKEC"},
    {0xF1, "LOCAL_CONTROL"}, {0xF2, "MIDI_JAM"},        {0xF3, "SET_TON"},
    {0xF4, "WRITE_TON"},
}};

static_assert(kCommands.size() == 34);

constexpr bool codesAscendAndDiffer() {
    for (std::size_t i = 1; i < kCommands.size(); ++i)
        if (kCommands[i - 1].code >= kCommands[i].code) return false;
    return true;
}
static_assert(codesAscendAndDiffer());

// Code of the entry with this name; 0x100 (no byte) when the table has no such name.
constexpr unsigned codeNamed(std::string_view name) {
    for (const auto& entry : kCommands)
        if (entry.name == name) return entry.code;
    return 0x100;
}

#define HARBRIX_AGREES(constant)                                       \
    static_assert(codeNamed(#constant) == Command::constant, #constant \
                  " disagrees with the "                               \
                  "table")
HARBRIX_AGREES(INVALID_CMD);
HARBRIX_AGREES(GET_CMDS);
HARBRIX_AGREES(READ_FLASH);
HARBRIX_AGREES(READ_PAGE);
HARBRIX_AGREES(GET_TMO);
HARBRIX_AGREES(DO_NOT_USE);
HARBRIX_AGREES(WHO_RU);
HARBRIX_AGREES(PRESET_INFO);
HARBRIX_AGREES(READ_PRESET);
HARBRIX_AGREES(GET_PRESET);
HARBRIX_AGREES(GET_PRESET_NAME);
HARBRIX_AGREES(GET_XFER);
HARBRIX_AGREES(BAUD_LIST);
HARBRIX_AGREES(LOCAL_CONTROLX);
HARBRIX_AGREES(PEEKC);
HARBRIX_AGREES(TON_INFO);
HARBRIX_AGREES(GET_TON);
HARBRIX_AGREES(READ_TON);
HARBRIX_AGREES(SUSPENDC);
HARBRIX_AGREES(RECOVERC);
HARBRIX_AGREES(REBOOTC);
HARBRIX_AGREES(WRITE_FLASH);
HARBRIX_AGREES(WRITE_PAGE);
HARBRIX_AGREES(WRITE_PRESET);
HARBRIX_AGREES(SET_PRESET);
HARBRIX_AGREES(ERASE_PRESET);
HARBRIX_AGREES(SET_PRESET_NAME);
HARBRIX_AGREES(SET_XFER);
HARBRIX_AGREES(SET_BAUD);
HARBRIX_AGREES(POKEC);
HARBRIX_AGREES(LOCAL_CONTROL);
HARBRIX_AGREES(MIDI_JAM);
HARBRIX_AGREES(SET_TON);
HARBRIX_AGREES(WRITE_TON);
#undef HARBRIX_AGREES

}  // namespace

std::optional<std::string_view> commandName(std::uint8_t code) {
    for (const auto& entry : kCommands)
        if (entry.code == code) return entry.name;
    return std::nullopt;
}

}  // namespace harbrix
