// Request frame layout; see the table in Request.h.
#include "link/Request.h"

namespace harbrix {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kMaxCount = 0xFFFF;

Bytes header(std::uint8_t command, std::uint8_t sizeCode, std::uint32_t count,
             std::uint32_t argument) {
    Bytes frame(kHeaderSize);
    frame[0] = command;
    frame[1] = sizeCode;
    frame[2] = static_cast<std::uint8_t>(count);
    frame[3] = static_cast<std::uint8_t>(count >> 8);
    for (int i = 0; i < 4; ++i) frame[4 + i] = static_cast<std::uint8_t>(argument >> (8 * i));
    return frame;
}

}  // namespace

std::size_t elementSize(std::uint8_t sizeCode) {
    switch (sizeCode) {
        case 1:
            return 2;
        case 2:
            return 4;
        case 3:
            return 8;
        default:
            return 1;
    }
}

std::optional<Bytes> buildRequest(std::uint8_t command, std::uint8_t sizeCode, std::uint32_t count,
                                  std::uint32_t argument) {
    if (count > kMaxCount) return std::nullopt;
    return header(command, sizeCode, count, argument);
}

std::optional<Bytes> buildRequest(std::uint8_t command, std::uint8_t sizeCode, std::uint32_t count,
                                  std::uint32_t argument, const Bytes& payload) {
    if (count > kMaxCount) return std::nullopt;
    // count <= 0xFFFF and the element size <= 8, so the product cannot overflow.
    if (payload.size() != static_cast<std::size_t>(count) * elementSize(sizeCode))
        return std::nullopt;
    Bytes frame = header(command, sizeCode, count, argument);
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

std::uint32_t requestArgument(const Bytes& request) {
    if (request.size() < kHeaderSize) return 0;
    std::uint32_t argument = 0;
    for (int i = 3; i >= 0; --i) argument = (argument << 8) | request[4 + i];
    return argument;
}

}  // namespace harbrix
