// Tolvane's exit status: what became of the driver installation, read by Harbrix when the
// installer has ended. Both programs compile this header.
#pragma once

namespace harbrix {

enum class TolvaneStatus : int {
    installed = 0,      // the driver was installed, or was there already
    refused = 1,        // wrong arguments, a stale token, or a system that needs no driver
    notAuthorised = 2,  // the administrator's password was refused or the request cancelled
    failed = 3,         // the installation script could not be run, or it failed
    notStarted = 4,     // Harbrix could not start the installer at all (never Tolvane's own)
};

}  // namespace harbrix
