// The host's end of a serial line with nothing but POSIX calls: opened and set up the
// way the application does it (raw, 8 bits, 115200 bit/s), then plain writes and reads
// that end after a stretch of silence. For tests that must not trust the link code.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/Bytes.h"

namespace harbrix::test {

class HostPort {
  public:
    explicit HostPort(const std::string& path);
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close();

    bool setSpeed(std::uint32_t speed);
    bool send(const Bytes& bytes);
    // Everything that arrives until nothing more comes for `silence`. The silence also
    // runs before the first byte, as on the application's line, unless `firstByte` gives
    // the first byte longer (tests that expect a reply use that to survive a busy machine).
    Bytes receive(std::chrono::milliseconds silence = std::chrono::milliseconds(100),
                  std::chrono::milliseconds firstByte = std::chrono::milliseconds(0));
    Bytes exchange(const Bytes& request,
                   std::chrono::milliseconds silence = std::chrono::milliseconds(100),
                   std::chrono::milliseconds firstByte = std::chrono::milliseconds(0));

  private:
    int fd_ = -1;
};

// An 8-byte request header, little-endian fields, optionally followed by a payload.
Bytes request(std::uint8_t command, std::uint8_t sizeCode = 0, std::uint16_t count = 0,
              std::uint32_t argument = 0, const Bytes& payload = {});

}  // namespace harbrix::test
