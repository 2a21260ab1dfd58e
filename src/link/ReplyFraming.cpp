#include "link/ReplyFraming.h"

#include <cstdlib>

#include "link/Commands.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr std::size_t kHeader = 2;
constexpr std::size_t kStateBlock = 48;

std::size_t countField(const Bytes& request) {
    return static_cast<std::size_t>(request[2]) | static_cast<std::size_t>(request[3]) << 8;
}

}  // namespace

Framing framingFromEnvironment() {
    const char* value = std::getenv("HARBRIX_LINK_FRAMING");
    if (value == nullptr || *value == 0) return Framing::guarded;
    const auto framing = framingNamed(value);
    if (!framing)
        logFormat("HARBRIX_LINK_FRAMING=%s is not guarded, silence or fast: using guarded", value);
    return framing.value_or(Framing::guarded);
}

std::optional<Framing> framingNamed(std::string_view name) {
    if (name == "guarded") return Framing::guarded;
    if (name == "silence") return Framing::silence;
    if (name == "fast") return Framing::fast;
    return std::nullopt;
}

const char* framingName(Framing framing) {
    switch (framing) {
        case Framing::silence:
            return "silence";
        case Framing::fast:
            return "fast";
        case Framing::guarded:
            break;
    }
    return "guarded";
}

std::optional<std::size_t> expectedReplyLength(const Bytes& request) {
    if (request.size() < 8) return std::nullopt;
    const std::uint8_t command = request[0];
    const std::size_t count = countField(request);
    switch (command) {
        case Command::GET_TMO:
            return kHeader + 4;
        case Command::PRESET_INFO:
            return kHeader + 3;
        case Command::LOCAL_CONTROLX:
            // Only the state query is known to answer with the whole block.
            if (count == 0) return std::nullopt;
            return kHeader + kStateBlock;
        case Command::READ_PRESET:
        case Command::PEEKC:
            return kHeader + count * elementSize(request[1]);
        case Command::READ_PAGE:
        case Command::READ_FLASH:
            return kHeader + (count == 0 ? 256 : count);
        // Text and list replies end with silence, and so does a reboot, which the pedal
        // answers with nothing.
        case Command::REBOOTC:
        case Command::GET_CMDS:
        case Command::WHO_RU:
        case Command::GET_PRESET_NAME:
        case Command::BAUD_LIST:
        case Command::GET_PRESET:
            return std::nullopt;
        default:
            return kHeader;
    }
}

}  // namespace harbrix
