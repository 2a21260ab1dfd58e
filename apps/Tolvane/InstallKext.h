// Tolvane's privileged step: the installation script run with administrator rights.
#pragma once

#include <optional>
#include <string>

namespace harbrix::tolvane {

// "Scripts/Tolvane.sh" in Tolvane's own bundle resources, beside its executable's folder;
// none when it is not there.
std::optional<std::string> scriptPath();
// Asks for administrator rights and runs the script with the argument "brisk oaf". Whether
// the user agreed or the script worked is only logged.
void installKext();

}  // namespace harbrix::tolvane
