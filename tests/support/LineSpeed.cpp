// termios2 speed calls.
#include "support/LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace harbrix::test {

bool setLineSpeed(int fd, std::uint32_t speed) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ospeed = speed;
    settings.c_ispeed = speed;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

std::uint32_t lineSpeed(int fd) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) return 0;
    return settings.c_ospeed;
}

}  // namespace harbrix::test
