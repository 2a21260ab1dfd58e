// POSIX host side of a serial line.
#include "support/HostPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/LineSpeed.h"

namespace harbrix::test {

HostPort::HostPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) return;
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) {
        close();
        return;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 1;
    ::cfsetspeed(&settings, B115200);
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0) close();
}

HostPort::~HostPort() {
    close();
}

void HostPort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool HostPort::setSpeed(std::uint32_t speed) {
    return fd_ >= 0 && setArbitraryLineSpeed(fd_, speed);
}

bool HostPort::send(const Bytes& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return fd_ >= 0;
}

Bytes HostPort::receive(std::chrono::milliseconds silence, std::chrono::milliseconds firstByte) {
    Bytes bytes;
    std::uint8_t buffer[1024];
    while (fd_ >= 0) {
        const auto wait = bytes.empty() ? std::max(silence, firstByte) : silence;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(wait.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

Bytes HostPort::exchange(const Bytes& bytes, std::chrono::milliseconds silence,
                         std::chrono::milliseconds firstByte) {
    if (!send(bytes)) return {};
    return receive(silence, firstByte);
}

Bytes request(std::uint8_t command, std::uint8_t sizeCode, std::uint16_t count,
              std::uint32_t argument, const Bytes& payload) {
    Bytes bytes;
    bytes.reserve(8 + payload.size());
    bytes.push_back(command);
    bytes.push_back(sizeCode);
    for (int shift = 0; shift < 16; shift += 8) bytes.push_back((count >> shift) & 0xFF);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((argument >> shift) & 0xFF);
    for (std::uint8_t b : payload) bytes.push_back(b);
    return bytes;
}

}  // namespace harbrix::test
