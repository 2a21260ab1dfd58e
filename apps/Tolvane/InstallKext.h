// Tolvane's privileged step: the installation script run with administrator rights.
#pragma once

#include <optional>
#include <string>

#include "installer/TolvaneStatus.h"

namespace harbrix::tolvane {

// "Scripts/Tolvane.sh" in Tolvane's own bundle resources, beside its executable's folder;
// none when it is not there.
std::optional<std::string> scriptPath();
// Asks for administrator rights and runs the script with the argument "brisk oaf": installed
// when the privileged step worked, notAuthorised when the rights were not granted, failed
// when the script could not be run or failed.
TolvaneStatus installKext();

}  // namespace harbrix::tolvane
