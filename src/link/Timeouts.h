// The pedal's own time-outs, in seconds, as it reports them to "GET_TMO".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace harbrix {

struct Timeouts {
    std::uint8_t reboot = 0;   // wait before reading the reply to a reboot
    std::uint8_t general = 0;  // wait before reading the reply to a MIDI injection
    std::uint8_t flash = 0;    // reported by the pedal, not used by the link
    std::uint8_t recover = 0;  // wait before reading the reply to a recover

    static Timeouts timeoutsForReboot(std::uint8_t reboot, std::uint8_t general, std::uint8_t flash,
                                      std::uint8_t recover);

    bool operator==(const Timeouts&) const = default;
    std::size_t hash() const;
    std::string description() const;
};

}  // namespace harbrix
