// Arbitrary line speeds on a terminal, as the host sets them (2,000,000 bit/s has no
// B-constant). Kept apart because the kernel's termios2 header cannot share a file
// with <termios.h>.
#pragma once

#include <cstdint>

namespace harbrix::test {

// Sets both directions to speed bit/s; false when the terminal refuses.
bool setLineSpeed(int fd, std::uint32_t speed);
// Output speed in bit/s; 0 when it cannot be read.
std::uint32_t lineSpeed(int fd);

}  // namespace harbrix::test
