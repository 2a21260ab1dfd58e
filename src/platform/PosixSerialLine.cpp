// The POSIX terminal interface behind SerialLine.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/LineSpeed.h"
#include "platform/SerialLine.h"

namespace harbrix {
namespace {

class PosixSerialLine final : public SerialLine {
  public:
    std::uint64_t fileNumber(const std::string& path) override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return 0;
        return static_cast<std::uint64_t>(info.st_ino);
    }

    int open(const std::string& path) override {
        // Without O_NONBLOCK a call-out open could wait for the modem lines.
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }

    bool claimExclusive(int fd) override { return ::ioctl(fd, TIOCEXCL) == 0; }

    bool clearStatusFlags(int fd) override { return ::fcntl(fd, F_SETFL, 0) == 0; }

    bool configureRaw(int fd) override {
        struct termios tio {};
        if (::tcgetattr(fd, &tio) != 0) return false;
        ::cfmakeraw(&tio);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 1;
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        tio.c_cflag &= ~CSIZE;
        tio.c_cflag |= CS8 | CREAD | CLOCAL;
        return ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }

    bool setSpeed(int fd, std::uint32_t speed) override { return setArbitraryLineSpeed(fd, speed); }

    void discardInput(int fd) override { ::tcflush(fd, TCIFLUSH); }

    ssize_t read(int fd, std::uint8_t* buffer, std::size_t size) override {
        const ssize_t n = ::read(fd, buffer, size);
        return n >= 0 ? n : -errno;
    }

    ssize_t readWithin(int fd, std::uint8_t* buffer, std::size_t size, int milliseconds) override {
        pollfd ready{fd, POLLIN, 0};
        const int n = ::poll(&ready, 1, milliseconds);
        if (n < 0) return -errno;
        if (n == 0) return 0;
        return read(fd, buffer, size);
    }

    ssize_t write(int fd, const std::uint8_t* data, std::size_t size) override {
        const ssize_t n = ::write(fd, data, size);
        return n >= 0 ? n : -errno;
    }

    void close(int fd) override { ::close(fd); }
};

}  // namespace

std::shared_ptr<SerialLine> SerialLine::system() {
    static const std::shared_ptr<SerialLine> line = std::make_shared<PosixSerialLine>();
    return line;
}

}  // namespace harbrix
