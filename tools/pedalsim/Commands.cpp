// Command table of the simulated firmware.
#include "Commands.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace harbrix::pedalsim {
namespace {

constexpr std::array<CommandInfo, 34> kCommands{{
    {0x00, "INVALID_CMD", false},     {0x01, "GET_CMDS", false},
    {0x02, "READ_FLASH", false},      {0x03, "READ_PAGE", false},
    {0x05, "GET_TMO", false},         {0x0A, "DO_NOT_USE", false},
    {0x0D, "WHO_RU", false},          {0x10, "PRESET_INFO", false},
    {0x11, "READ_PRESET", false},     {0x12, "GET_PRESET", false},
    {0x13, "GET_PRESET_NAME", false}, {0x14, "GET_XFER", false},
    {0x15, "BAUD_LIST", false},       {0x16, "LOCAL_CONTROLX", false},
    {0x70, "PEEKC", false},           {0x71, "TON_INFO", false},
    {0x72, "GET_TON", false},         {0x73, "READ_TON", false},
    {0x80, "SUSPENDC", false},        {0x81, "RECOVERC", false},
    {0x82, "REBOOTC", false},         {0x83, "WRITE_FLASH", false},
    {0x84, "WRITE_PAGE", true},       {0x90, "WRITE_PRESET", true},
    {0x91, "SET_PRESET", false},      {0x92, "ERASE_PRESET", false},
    {0x93, "SET_PRESET_NAME", true},  {0x94, "SET_XFER", false},
    {0x95, "SET_BAUD", false},        {0xF0, "POKEC", true},
    {0xF1, "LOCAL_CONTROL", false},   {0xF2, "MIDI_JAM", true},
    {0xF3, "SET_TON", false},         {0xF4, "WRITE_TON", false},
}};

std::optional<std::uint8_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value > 0xFF) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::span<const CommandInfo> commandTable() {
    return kCommands;
}

const CommandInfo* findCommand(std::uint8_t code) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [code](const CommandInfo& c) { return c.code == code; });
    return it == kCommands.end() ? nullptr : &*it;
}

bool carriesPayload(std::uint8_t code) {
    const CommandInfo* info = findCommand(code);
    return info != nullptr && info->carriesPayload;
}

std::optional<std::uint8_t> parseCommand(std::string_view text) {
    for (const CommandInfo& c : kCommands) {
        if (c.name == text) return c.code;
    }
    return parseNumber(text);
}

const std::vector<std::uint8_t>& supportedCommands(Model model) {
    static const std::vector<std::uint8_t> miv3{1,   2,   3,   5,   13,  16,  17,  18,
                                                19,  22,  112, 128, 129, 130, 131, 132,
                                                144, 145, 146, 147, 149, 240, 242};
    // The NAX3 has no preset editing: none of the preset commands.
    static const std::vector<std::uint8_t> nax3 = [] {
        std::vector<std::uint8_t> codes;
        for (std::uint8_t code : miv3) {
            if ((code < 17 || code > 19) && (code < 144 || code > 147)) codes.push_back(code);
        }
        return codes;
    }();
    return model == Model::MIV3 ? miv3 : nax3;
}

}  // namespace harbrix::pedalsim
