// Setting a line speed the standard termios rates do not list (2,000,000 bit/s). Each system
// has its own file: Linux uses termios2 with BOTHER, macOS the IOSSIOSPEED ioctl.
#pragma once

#include <cstdint>

namespace harbrix {

bool setArbitraryLineSpeed(int fd, std::uint32_t speed);
// The output speed currently set on the line, 0 when it cannot be read.
std::uint32_t currentLineSpeed(int fd);

}  // namespace harbrix
