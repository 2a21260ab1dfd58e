// macOS takes any integer rate through the serial driver's speed ioctl.
#include <IOKit/serial/ioss.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cstdint>

namespace harbrix {

bool setArbitraryLineSpeed(int fd, std::uint32_t speed) {
    speed_t rate = speed;
    return ioctl(fd, IOSSIOSPEED, &rate) == 0;
}

std::uint32_t currentLineSpeed(int fd) {
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0) return 0;
    return static_cast<std::uint32_t>(cfgetospeed(&tio));
}

}  // namespace harbrix
