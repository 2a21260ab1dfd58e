// Where updates come from and where their payloads are kept: the update server's manifest
// addresses for the release channel, and the local cache folders.
#pragma once

#include <string>

namespace harbrix::UpdateLocations {

// The update server, "https://..." without a trailing "/"; HARBRIX_UPDATE_SERVER overrides it.
std::string server();
// "Harbrix/staging" when the staging marker was present at start, otherwise "Harbrix".
std::string channel();
std::string softwareManifestURL();
std::string firmwareManifestURL(const std::string& model);

// Per-user application data: ~/Library/Application Support on macOS,
// $XDG_DATA_HOME (default ~/.local/share) on Linux.
std::string applicationSupportDirectory();
// ".../<bundle identifier>/updates/software" and ".../updates/firmware/<model>".
std::string softwareFolder();
std::string firmwareFolder(const std::string& model);

// The manifest address with its last path component replaced by the (escaped) file name.
std::string payloadURL(const std::string& manifestURL, const std::string& name);

}  // namespace harbrix::UpdateLocations
