// Whether the pedals' driver is installed, asked of the system's finder: on macOS the kernel
// extension finder, on Linux a look for our udev rule in the rules folders. Plain C++ on the
// process runner: Tolvane compiles it too.
#pragma once

#include <optional>
#include <string>

namespace harbrix {

// The udev rule that gives a pedal its node name and the seated user access to it.
inline constexpr const char* kUdevRuleName = "60-harbrix-qor.rules";

// What the finder's output holds when the driver is installed.
const char* driverLocation();
// The finder's trimmed output; none when it could not run. HARBRIX_DRIVER_FINDER=COMMAND,
// run with "/bin/sh -c", stands in for the finder (a hook for tests).
std::optional<std::string> driverFinderOutput();
// The system's own finder. On Linux it prints the rule udev uses, if any;
// HARBRIX_UDEV_ROOT=DIR looks for it below DIR instead of / (a hook for tests).
std::optional<std::string> systemDriverFinderOutput();

// False where no driver of ours is needed; otherwise true unless the finder lists it.
bool needsKext();

}  // namespace harbrix
