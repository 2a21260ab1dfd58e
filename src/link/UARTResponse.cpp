// Reply parsing. Every parser checks the reply's length before reading; a malformed reply
// yields no record rather than a partly filled one.
#include "link/UARTResponse.h"

#include <algorithm>
#include <string_view>

#include "link/Commands.h"
#include "link/Utf8Text.h"

namespace harbrix {
namespace {

constexpr std::size_t kHeaderSize = 2;
constexpr std::size_t kMaxDataReply = 258;  // header + at most 256 payload bytes
constexpr std::uint8_t kEmptySlotError = 6;

// The payload from `position` up to its first 0 byte, as checked and trimmed UTF-8 text.
std::optional<std::string> payloadText(const Bytes& reply, std::size_t position) {
    const auto begin = reply.begin() + static_cast<std::ptrdiff_t>(position);
    const auto end = std::find(begin, reply.end(), std::uint8_t{0});
    const std::string raw(begin, end);
    if (!isValidUtf8(raw)) return std::nullopt;
    return std::string(trimmedText(raw));
}

}  // namespace

UARTResponse UARTResponse::response() {
    return UARTResponse{};
}

std::optional<UARTResponse> UARTResponse::response(const Bytes& reply, std::uint8_t command) {
    if (reply.size() < kHeaderSize) return std::nullopt;
    std::uint8_t error = reply[0];
    std::uint8_t development = reply[1];
    // A pedal may answer WHO_RU with a bare line end where the header belongs.
    if (command == Command::WHO_RU && error == '\r' && development == '\n') error = development = 0;
    if (error != 0) {
        if (error != kEmptySlotError || command != Command::READ_PRESET) return std::nullopt;
        UARTResponse emptySlot;
        emptySlot.error = error;
        return emptySlot;
    }

    UARTResponse record;
    record.command = command;
    record.development = development;
    record.position = kHeaderSize;
    bool parsed = true;
    switch (command) {
        case Command::GET_CMDS:
            parsed = parseCommands(reply, record);
            break;
        case Command::READ_FLASH:
        case Command::READ_PAGE:
        case Command::READ_PRESET:
        case Command::PEEKC:
            parsed = parseData(reply, record);
            break;
        case Command::GET_TMO:
            parsed = parseTimeouts(reply, record);
            break;
        case Command::WHO_RU:
            parsed = parseModel(reply, record);
            break;
        case Command::PRESET_INFO:
            parsed = parsePresetsSchema(reply, record);
            break;
        case Command::GET_PRESET:
            parsed = parseData(reply, record) && !record.data.empty();
            if (parsed) record.byte = record.data.front();
            break;
        case Command::GET_PRESET_NAME:
            parsed = parseString(reply, record);
            break;
        case Command::BAUD_LIST:
            parsed = parseSpeeds(reply, record);
            break;
        case Command::LOCAL_CONTROLX:
            parseLCXreply(reply, record);  // a short block leaves the state all zero
            break;
        default:
            break;  // header only
    }
    if (!parsed) return std::nullopt;
    return record;
}

bool UARTResponse::parseCommands(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < 4) return false;
    for (std::size_t at = into.position; at < reply.size() && reply[at] != 0; ++at)
        into.commands.insert(reply[at]);
    return !into.commands.empty();
}

bool UARTResponse::parseData(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < kHeaderSize || reply.size() > kMaxDataReply) return false;
    into.data.assign(reply.begin() + static_cast<std::ptrdiff_t>(into.position), reply.end());
    return true;
}

bool UARTResponse::parseString(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < kHeaderSize || reply.size() > kMaxDataReply) return false;
    auto text = payloadText(reply, into.position);
    if (!text) return false;
    into.string = std::move(*text);
    return true;
}

bool UARTResponse::parseModel(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < 5 || reply.size() > 260) return false;
    const auto text = payloadText(reply, into.position);
    if (!text) return false;
    into.model = Model::modelFromSerializedRepresentation(*text);
    return into.model != nullptr;
}

bool UARTResponse::parseTimeouts(const Bytes& reply, UARTResponse& into) {
    if (reply.size() != 6) return false;
    const std::size_t at = into.position;
    into.timeouts =
        Timeouts::timeoutsForReboot(reply[at], reply[at + 1], reply[at + 2], reply[at + 3]);
    return true;
}

bool UARTResponse::parsePresetsSchema(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < into.position + 3) return false;
    const std::size_t at = into.position;
    into.presetsSchema = PresetsSchema{reply[at], reply[at + 1], reply[at + 2]};
    return into.presetsSchema.presets != 0;
}

bool UARTResponse::parseSpeeds(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < 10) return false;
    // A trailing partial word is ignored rather than read past the end.
    for (std::size_t at = into.position; reply.size() - at >= 4; at += 4) {
        const std::uint32_t speed = static_cast<std::uint32_t>(reply[at]) |
                                    static_cast<std::uint32_t>(reply[at + 1]) << 8 |
                                    static_cast<std::uint32_t>(reply[at + 2]) << 16 |
                                    static_cast<std::uint32_t>(reply[at + 3]) << 24;
        if (speed == 0) break;
        into.speeds.push_back(speed);
    }
    return !into.speeds.empty();
}

bool UARTResponse::parseLCXreply(const Bytes& reply, UARTResponse& into) {
    if (reply.size() < 3 || reply.size() - into.position < LCXreply::kSize) return false;
    into.lcxreply = LCXreply::fromBytes(reply.data() + into.position);
    return true;
}

}  // namespace harbrix
