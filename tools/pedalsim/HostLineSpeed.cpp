// termios2 read of the line speed. On a Linux pty the master's ioctls act on the
// slave's terminal, so this sees what the host set on the device node.
#include "HostLineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace harbrix::pedalsim {
namespace {

// Older kernels leave c_ospeed at 0 for the classic rates; the CBAUD bits still say it.
std::uint32_t fromBaudBits(unsigned bits) {
    switch (bits) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        case B460800:
            return 460800;
        case B500000:
            return 500000;
        case B921600:
            return 921600;
        case B1000000:
            return 1000000;
        case B1500000:
            return 1500000;
        case B2000000:
            return 2000000;
        case B3000000:
            return 3000000;
        case B4000000:
            return 4000000;
        default:
            return 0;
    }
}

}  // namespace

std::uint32_t hostLineSpeed(int masterFd) {
    struct termios2 settings {};
    if (ioctl(masterFd, TCGETS2, &settings) != 0) return 0;
    if (settings.c_ospeed != 0) return settings.c_ospeed;
    return fromBaudBits(settings.c_cflag & CBAUD);
}

}  // namespace harbrix::pedalsim
