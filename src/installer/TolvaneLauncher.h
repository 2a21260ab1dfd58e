// Starting the installer program Tolvane from Harbrix, with the two launch tokens.
#pragma once

#include <optional>
#include <string>

#include "installer/TolvaneStatus.h"

namespace harbrix {

// "Contents/MacOS/Tolvane.app/Contents/MacOS/Tolvane" in the application bundle; none
// without a bundle.
std::optional<std::string> tolvanePath();
// Runs Tolvane and waits for it, on the calling thread, for as long as the administrator's
// password is being asked for; what its exit status says. Refused at once where no driver
// of ours is needed; notStarted when the program could not be run.
TolvaneStatus runTolvane();
// runTolvane() is installed.
bool launchTolvaneer();

}  // namespace harbrix
