// The speed the host has set on its side of the line. Kept apart because the kernel's
// termios2 header cannot share a file with <termios.h>.
#pragma once

#include <cstdint>

namespace harbrix::pedalsim {

// Output speed in bit/s of the terminal behind the pty master; 0 when it cannot be read.
std::uint32_t hostLineSpeed(int masterFd);

}  // namespace harbrix::pedalsim
