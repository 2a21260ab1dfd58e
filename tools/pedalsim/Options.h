// The simulator's command line.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Faults.h"
#include "Handlers.h"
#include "Owner.h"

namespace harbrix::pedalsim {

struct Options {
    Identity identity;
    std::string serial;
    std::string dir;
    std::string statePath;  // empty: the pedal forgets everything when it ends
    bool qorName = false;   // cu.qorMODEL-SERIAL instead of cu.usbserial-SERIAL
    bool pace = false;
    bool log = false;
    bool noNode = false;  // listed in the inventory, but no node (udev has not made it yet)
    // One line per request received: "NAME count argument", and for "POKEC" the value.
    std::string recordPath;
    // How long the pedal stays unplugged after SIGUSR2.
    std::chrono::milliseconds replugPause{2500};
    FaultPlan faults;
    OwnerPlan owner;

    std::string nodeName() const;
};

// None, with error set, for anything it does not understand.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);

extern const char* const kUsage;

}  // namespace harbrix::pedalsim
