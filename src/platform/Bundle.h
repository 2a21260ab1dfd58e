// The application bundle the running program belongs to, found from its own executable's
// path so the bundle can be moved or replaced whole: ".../Harbrix.app/Contents/MacOS/Harbrix".
// Programs outside a bundle (the build's bin folder) use the bundle built beside them.
#pragma once

#include <optional>
#include <string>

namespace harbrix::Bundle {

// The running executable's absolute path.
std::string executablePath();
// ".../Harbrix.app", or nullopt when none can be found.
std::optional<std::string> bundlePath();
// The bundle's Contents/Resources folder; HARBRIX_RESOURCES overrides it.
std::optional<std::string> resourcesPath();
// "Resources/[directory/]name.type" when that file exists.
std::optional<std::string> pathForResource(const std::string& name, const std::string& type,
                                           const std::string& directory = "");

}  // namespace harbrix::Bundle
