// Writing requests, collecting replies, and the one transaction path every command takes.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "link/DeviceLine.h"

#include "link/ByteText.h"
#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr std::size_t kReadChunk = 1024;
constexpr std::size_t kReadCapacity = 10240;
// No pedal reply comes near this; a line that keeps talking past it is not a pedal's.
constexpr std::size_t kLongestReply = 1024 * 1024;

}  // namespace

DeviceLine::DeviceLine(QORUARTDevice& device, std::shared_ptr<SerialLine> line)
    : device_(device),
      line_(line ? std::move(line) : SerialLine::system()),
      framing_(framingFromEnvironment()) {}

DeviceLine::~DeviceLine() {
    if (file_ >= 0) line_->close(file_);
    file_ = -1;
}

std::recursive_mutex& DeviceLine::ioLock() {
    static std::recursive_mutex lock;
    return lock;
}

bool DeviceLine::write(const Bytes& bytes) {
    if (file_ < 0) return false;
    std::lock_guard io(ioLock());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = line_->write(file_, bytes.data() + written, bytes.size() - written);
        if (n == -EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool DeviceLine::append(Bytes& reply, const std::uint8_t* bytes, ssize_t n) {
    reply.insert(reply.end(), bytes, bytes + n);
    if (reply.size() <= kLongestReply) return true;
    logFormat("reply too long :: more than %zu bytes", kLongestReply);
    return false;
}

bool DeviceLine::readUntil(Bytes& reply, std::optional<std::size_t> expected) {
    std::uint8_t chunk[kReadChunk];
    for (;;) {
        if (expected && !reply.empty() && reply[0] != 0) expected.reset();
        if (expected && reply.size() >= *expected) return true;
        const ssize_t n = line_->read(file_, chunk, sizeof chunk);
        if (n == -EINTR) continue;
        if (n < 0) {
            logFormat("read error :: %d", static_cast<int>(-n));
            return false;
        }
        if (n == 0) return true;
        if (!append(reply, chunk, n)) return false;
    }
}

std::optional<Bytes> DeviceLine::readAll(std::optional<std::size_t> expected) {
    if (file_ < 0) return std::nullopt;
    std::lock_guard io(ioLock());
    Bytes reply;
    reply.reserve(kReadCapacity);
    // An error reply may be shorter than the request implies: it ends with silence.
    if (!readUntil(reply, expected)) return std::nullopt;
    if (log_) logFormat("READ: %s", prettyDescription(reply).c_str());
    return reply;
}

std::optional<Bytes> DeviceLine::readGuarded(std::size_t expected, const char*& anomaly) {
    std::lock_guard io(ioLock());
    Bytes reply;
    reply.reserve(kReadCapacity);
    if (!readUntil(reply, expected)) return std::nullopt;
    if (reply.empty()) {
        anomaly = "no answer";
    } else if (reply[0] != 0) {
        // An error reply, ended by silence as always.
    } else if (reply.size() < expected) {
        anomaly = "a reply shorter than its request implies";
    } else {
        if (reply.size() > expected) anomaly = "a reply longer than its request implies";
        std::uint8_t chunk[kReadChunk];
        ssize_t n = 0;
        while (!anomaly &&
               (n = line_->readWithin(file_, chunk, sizeof chunk,
                                      static_cast<int>(kReplyGuard.count()))) == -EINTR) {
        }
        if (n < 0) {
            logFormat("read error :: %d", static_cast<int>(-n));
            return std::nullopt;
        }
        if (n > 0) {
            anomaly = "a byte within the guard after a complete reply";
            if (!append(reply, chunk, n)) return std::nullopt;
        }
        // The rest of a reply that went on goes to the parser whole, as the silence rule
        // would have given it.
        if (anomaly && !readUntil(reply, std::nullopt)) return std::nullopt;
    }
    if (log_) logFormat("READ: %s", prettyDescription(reply).c_str());
    return reply;
}

void DeviceLine::fallBack(std::uint8_t command, const char* reason) {
    if (fellBack_.exchange(true)) return;
    const auto name = commandName(command);
    logFormat("%s: replies end with silence until it reconnects: %s (%s)",
              device_.filename().c_str(), reason, name ? std::string(*name).c_str() : "?");
}

std::optional<UARTResponse> DeviceLine::execute(std::uint8_t command, const Bytes& request,
                                                double wait) {
    if (resetting_ || request.empty()) return std::nullopt;
    if (command == Command::POKEC) {
        const auto memory = device_.memory();
        const auto factoryReset = memory ? (*memory)["factory-reset"] : std::nullopt;
        if (factoryReset && requestArgument(request) == *factoryReset) resetting_ = true;
    }
    if (file_ < 0) return std::nullopt;
    if (log_) logFormat("WRITE: %s", prettyDescription(request).c_str());

    std::lock_guard io(ioLock());
    const Framing framing = framingNow();
    const auto expected = framing == Framing::silence ? std::nullopt : expectedReplyLength(request);
    // Bytes left from an earlier exchange are never part of this reply.
    if (framing_ != Framing::silence) line_->discardInput(file_);
    if (!write(request)) {
        // A line that takes nothing (its node went away under it) is as good as silent:
        // discovery asks the pedal again, and lets it go when it does not answer.
        silent_ = true;
        return std::nullopt;
    }
    if (wait > 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
    const bool guarded = framing == Framing::guarded && expected;
    const char* anomaly = nullptr;
    auto reply = guarded ? readGuarded(*expected, anomaly) : readAll(expected);
    if (anomaly) fallBack(command, anomaly);
    if (reply && reply->size() >= 2) {
        if (command == Command::WHO_RU && (*reply)[0] == 13 && (*reply)[1] == 10) {
            (*reply)[0] = 0;
            (*reply)[1] = 0;
        }
        auto response = UARTResponse::response(*reply, command);
        if (!response && guarded && !anomaly && (*reply)[0] == 0)
            fallBack(command, "a complete reply that did not parse");
        // Junk is what a pedal that restarted at its boot speed sends back to a faster line.
        silent_ = !response;
        if (response) history_.record(command, request, *reply, *response);
        return response;
    }
    if (command == Command::REBOOTC) return UARTResponse::response();
    silent_ = true;
    return std::nullopt;
}

bool DeviceLine::setHostSpeed(std::uint32_t speed) {
    if (file_ < 0) return false;
    std::lock_guard io(ioLock());
    if (!line_->setSpeed(file_, speed)) return false;
    line_->discardInput(file_);
    return true;
}

}  // namespace harbrix
