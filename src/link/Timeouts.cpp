// Text forms of Timeouts.
#include "link/Timeouts.h"

#include <functional>

namespace harbrix {

Timeouts Timeouts::timeoutsForReboot(std::uint8_t reboot, std::uint8_t general, std::uint8_t flash,
                                     std::uint8_t recover) {
    return Timeouts{reboot, general, flash, recover};
}

std::size_t Timeouts::hash() const {
    const std::string key = "Timeouts|" + std::to_string(reboot) + "|" + std::to_string(general) +
                            "|" + std::to_string(flash) + "|" + std::to_string(recover);
    return std::hash<std::string>{}(key);
}

std::string Timeouts::description() const {
    return "timeouts = { reboot = " + std::to_string(reboot) +
           ", general = " + std::to_string(general) + ", flash = " + std::to_string(flash) +
           ", recover = " + std::to_string(recover) + " }";
}

}  // namespace harbrix
