#include "support/ScriptedLine.h"

#include <algorithm>
#include <cerrno>

namespace harbrix::test {

void ScriptedLine::injectInput(const Bytes& bytes) {
    std::lock_guard lock(mutex_);
    pendingInput_.insert(pendingInput_.end(), bytes.begin(), bytes.end());
}

void ScriptedLine::injectLater(const Bytes& bytes, int afterMs) {
    std::lock_guard lock(mutex_);
    laterInput_.insert(laterInput_.end(), bytes.begin(), bytes.end());
    laterMs_ = afterMs;
}

std::vector<Bytes> ScriptedLine::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<std::uint8_t> ScriptedLine::commandsWritten() const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> codes;
    for (const auto& w : writes_)
        if (!w.empty()) codes.push_back(w[0]);
    return codes;
}

std::vector<std::uint32_t> ScriptedLine::speedsSet() const {
    std::lock_guard lock(mutex_);
    return speeds_;
}

int ScriptedLine::discards() const {
    std::lock_guard lock(mutex_);
    return discards_;
}

int ScriptedLine::reads() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

std::uint64_t ScriptedLine::fileNumber(const std::string&) {
    return nodeFileNumber;
}
int ScriptedLine::open(const std::string&) {
    return openResult;
}
bool ScriptedLine::claimExclusive(int) {
    return exclusiveWorks;
}
bool ScriptedLine::clearStatusFlags(int) {
    return true;
}
bool ScriptedLine::configureRaw(int) {
    std::lock_guard lock(mutex_);
    if (rawWorks) hostSpeed_ = 115200;
    return rawWorks;
}

std::uint32_t ScriptedLine::hostSpeed() const {
    std::lock_guard lock(mutex_);
    return hostSpeed_;
}

bool ScriptedLine::setSpeed(int, std::uint32_t speed) {
    std::lock_guard lock(mutex_);
    speeds_.push_back(speed);
    if (speedWorks) hostSpeed_ = speed;
    return speedWorks;
}

void ScriptedLine::discardInput(int) {
    std::lock_guard lock(mutex_);
    ++discards_;
    pendingInput_.clear();
    laterInput_.clear();
}

ssize_t ScriptedLine::read(int fd, std::uint8_t* buffer, std::size_t size) {
    // A plain read waits for 0.1 s of silence.
    return readWithin(fd, buffer, size, 100);
}

ssize_t ScriptedLine::readWithin(int, std::uint8_t* buffer, std::size_t size, int milliseconds) {
    std::lock_guard lock(mutex_);
    if (pendingInput_.empty() && !laterInput_.empty() && laterMs_ < milliseconds) {
        pendingInput_.swap(laterInput_);
        laterInput_.clear();
    }
    ++reads_;
    if (interruptedReads > 0) {
        --interruptedReads;
        return -EINTR;
    }
    if (babble) {
        const std::size_t n = std::min(size, readChunk);
        std::fill_n(buffer, n, *babble);
        return static_cast<ssize_t>(n);
    }
    const std::size_t n = std::min({size, readChunk, pendingInput_.size()});
    std::copy_n(pendingInput_.begin(), n, buffer);
    pendingInput_.erase(pendingInput_.begin(),
                        pendingInput_.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<ssize_t>(n);
}

ssize_t ScriptedLine::write(int, const std::uint8_t* data, std::size_t size) {
    Responder responder;
    Bytes request;
    const std::size_t taken = std::min(size, writeChunk);
    {
        std::lock_guard lock(mutex_);
        if (interruptedWrites > 0) {
            --interruptedWrites;
            return -EINTR;
        }
        partialRequest_.insert(partialRequest_.end(), data, data + taken);
        if (taken < size) return static_cast<ssize_t>(taken);
        request.swap(partialRequest_);
        writes_.push_back(request);
        responder = responder_;
    }
    if (responder) {
        if (auto reply = responder(request)) injectInput(*reply);
    }
    return static_cast<ssize_t>(taken);
}

void ScriptedLine::close(int) {}

Bytes okReply(const Bytes& payload) {
    Bytes reply(2 + payload.size(), 0);
    std::copy(payload.begin(), payload.end(), reply.begin() + 2);
    return reply;
}

Bytes textReply(const std::string& text) {
    Bytes reply(3 + text.size(), 0);
    std::copy(text.begin(), text.end(), reply.begin() + 2);
    return reply;
}

}  // namespace harbrix::test
