// The operating system's serial terminal calls, behind an interface so tests can stand a
// scripted line in for a real port. Results follow POSIX: -1 or a negative errno on failure.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace harbrix {

class SerialLine {
  public:
    virtual ~SerialLine() = default;

    // File-system file number of the node (following links); 0 when it cannot be read.
    virtual std::uint64_t fileNumber(const std::string& path) = 0;
    // Opens read/write without becoming the controlling terminal; the descriptor or -errno.
    virtual int open(const std::string& path) = 0;
    // Claims exclusive access to the terminal (others' opens fail).
    virtual bool claimExclusive(int fd) = 0;
    // Clears the file status flags: the port then works in blocking mode.
    virtual bool clearStatusFlags(int fd) = 0;
    // Raw 8-bit at 115200 bit/s; a read returns as soon as any byte is there, or with
    // nothing after 0.1 s of silence.
    virtual bool configureRaw(int fd) = 0;
    // Any integer line speed, including non-standard ones such as 2,000,000 bit/s.
    virtual bool setSpeed(int fd, std::uint32_t speed) = 0;
    // Throws away input that arrived but was not read.
    virtual void discardInput(int fd) = 0;
    virtual ssize_t read(int fd, std::uint8_t* buffer, std::size_t size) = 0;
    // As read, but gives up with 0 once the line has been silent for `milliseconds`.
    virtual ssize_t readWithin(int fd, std::uint8_t* buffer, std::size_t size,
                               int milliseconds) = 0;
    virtual ssize_t write(int fd, const std::uint8_t* data, std::size_t size) = 0;
    virtual void close(int fd) = 0;

    // The real terminal interface of this system.
    static std::shared_ptr<SerialLine> system();
};

}  // namespace harbrix
