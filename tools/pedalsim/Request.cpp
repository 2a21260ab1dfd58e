// Request framing: the header tells whether and how much payload follows.
#include "Request.h"

#include "Commands.h"

namespace harbrix::pedalsim {
namespace {

std::uint16_t readU16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t readU32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
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

RequestAssembler::RequestAssembler(std::chrono::milliseconds frameTimeout)
    : frameTimeout_(frameTimeout) {}

void RequestAssembler::feed(const Bytes& bytes, Clock::time_point now) {
    if (bytes.empty()) return;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    lastByte_ = now;
}

std::optional<Request> RequestAssembler::next() {
    if (pending_.size() < kHeaderSize) return std::nullopt;
    Request request;
    request.command = pending_[0];
    request.sizeCode = pending_[1];
    request.count = readU16(pending_, 2);
    request.argument = readU32(pending_, 4);
    const std::size_t payloadSize =
        carriesPayload(request.command) ? request.count * elementSize(request.sizeCode) : 0;
    if (pending_.size() < kHeaderSize + payloadSize) return std::nullopt;
    const auto end = pending_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + payloadSize);
    request.payload.assign(pending_.begin() + kHeaderSize, end);
    request.raw.assign(pending_.begin(), end);
    pending_.erase(pending_.begin(), end);
    return request;
}

std::size_t RequestAssembler::expire(Clock::time_point now) {
    if (pending_.empty() || now - lastByte_ < frameTimeout_) return 0;
    return discard();
}

std::optional<RequestAssembler::Clock::time_point> RequestAssembler::expiry() const {
    if (pending_.empty()) return std::nullopt;
    return lastByte_ + frameTimeout_;
}

std::size_t RequestAssembler::discard() {
    const std::size_t dropped = pending_.size();
    pending_.clear();
    return dropped;
}

}  // namespace harbrix::pedalsim
