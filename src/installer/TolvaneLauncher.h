// Starting the installer program Tolvane from Harbrix, with the two launch tokens.
#pragma once

#include <optional>
#include <string>

namespace harbrix {

// "Contents/MacOS/Tolvane.app/Contents/MacOS/Tolvane" in the application bundle; none
// without a bundle.
std::optional<std::string> tolvanePath();
// Runs Tolvane and waits for it, on the calling thread, for as long as the administrator's
// password is being asked for; true when it exits with 0. False at once where no driver of
// ours is needed.
bool launchTolvaneer();

}  // namespace harbrix
