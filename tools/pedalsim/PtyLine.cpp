// pty plumbing: open, raw mode, the named link, paced writes.
#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "HostLineSpeed.h"
#include "StopSignal.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::size_t kPaceChunk = 32;
constexpr int kBitsPerByte = 10;  // start bit, eight data bits, stop bit
// A host that reads nothing for this long loses what the pedal sends, as with a real UART.
constexpr int kStalledHostMs = 500;

std::string errorText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        if (StopSignal::requested()) return false;
        pollfd p[2] = {{fd, POLLOUT, 0}, {StopSignal::fd(), POLLIN, 0}};
        if (::poll(p, 2, kStalledHostMs) == 0) return true;  // dropped on the floor
    }
    return true;
}

bool placeLink(const std::string& target, const std::string& linkPath, std::string& error) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = linkPath + " exists and is not a link";
        return false;
    }
    // A new link renamed over the old one: no moment without a node.
    const std::string temporary = linkPath + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = errorText("symlink " + temporary);
        return false;
    }
    if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = errorText("rename to " + linkPath);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<PtyLine> PtyLine::open(const std::string& linkPath, std::string& error) {
    std::unique_ptr<PtyLine> line(new PtyLine);
    line->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line->master_ < 0) return error = errorText("posix_openpt"), nullptr;
    if (::grantpt(line->master_) != 0 || ::unlockpt(line->master_) != 0) {
        return error = errorText("grantpt/unlockpt"), nullptr;
    }
    char name[128];
    if (::ptsname_r(line->master_, name, sizeof name) != 0) {
        return error = errorText("ptsname"), nullptr;
    }
    line->slavePath_ = name;
    line->slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line->slave_ < 0) return error = errorText("open " + line->slavePath_), nullptr;
    // Raw until the host configures it: no echo of replies, no line-end translation.
    termios settings{};
    if (::tcgetattr(line->slave_, &settings) != 0) return error = errorText("tcgetattr"), nullptr;
    ::cfmakeraw(&settings);
    if (::tcsetattr(line->slave_, TCSANOW, &settings) != 0) {
        return error = errorText("tcsetattr"), nullptr;
    }
    const int flags = ::fcntl(line->master_, F_GETFL);
    if (flags < 0 || ::fcntl(line->master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        return error = errorText("fcntl"), nullptr;
    }
    line->presence_ = HostPresence::watch(line->slavePath_);
    if (!placeLink(line->slavePath_, linkPath, error)) return nullptr;
    line->linkPath_ = linkPath;
    line->linked_ = true;
    return line;
}

PtyLine::~PtyLine() {
    unlink();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

void PtyLine::unlink() {
    if (linkPath_.empty() || !linked_) return;
    linked_ = false;
    std::vector<char> target(slavePath_.size() + 2);
    const ssize_t n = ::readlink(linkPath_.c_str(), target.data(), target.size());
    if (n >= 0 && std::string(target.data(), static_cast<std::size_t>(n)) == slavePath_) {
        ::unlink(linkPath_.c_str());
    }
}

bool PtyLine::relink(std::string& error) {
    if (linked_) return true;
    if (!placeLink(slavePath_, linkPath_, error)) return false;
    linked_ = true;
    return true;
}

std::uint32_t PtyLine::hostSpeed() const {
    return hostLineSpeed(master_);
}

bool PtyLine::hostAt(std::uint32_t speed) const {
    const std::uint32_t host = hostSpeed();
    if (host == 0) return true;  // cannot tell: give the host the benefit of the doubt
    const std::uint64_t difference = host > speed ? host - speed : speed - host;
    return difference * 100 <= static_cast<std::uint64_t>(speed) * 3;
}

Bytes PtyLine::read() {
    Bytes bytes;
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return bytes;
}

bool PtyLine::write(const Bytes& bytes, std::uint32_t paceSpeed) {
    checkHost();
    if (presence_ && !presence_->hostPresent()) return true;
    if (paceSpeed == 0) return writeAll(master_, bytes.data(), bytes.size());
    // Each chunk is released when its last byte would have left the UART, so the host
    // never holds a byte earlier than the wire could deliver it; chunks keep the sleeps
    // long enough to be accurate.
    using Clock = StopSignal::Clock;
    const Clock::time_point start = Clock::now();
    for (std::size_t sent = 0; sent < bytes.size();) {
        const std::size_t chunk = std::min(kPaceChunk, bytes.size() - sent);
        const auto done =
            std::chrono::nanoseconds((sent + chunk) * kBitsPerByte * 1'000'000'000ull / paceSpeed);
        if (!StopSignal::sleepUntil(start + done)) return false;
        if (!writeAll(master_, bytes.data() + sent, chunk)) return false;
        sent += chunk;
    }
    return true;
}

void PtyLine::checkHost() {
    if (!presence_ || !presence_->update()) return;
    // Only once the host has gone: unread replies of its session are stale then. A new
    // session's open may be noticed after its first reply was sent, which must survive;
    // and while a session holds the port, the exclusive claim may be its own.
    if (presence_->hostPresent()) return;
    ::tcflush(slave_, TCIFLUSH);
    ::ioctl(slave_, TIOCNXCL);
}

}  // namespace harbrix::pedalsim
