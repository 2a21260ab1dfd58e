// The serial device nodes a pedal shows up as, and the serial number in their names.
#pragma once

#include <optional>
#include <string>

namespace harbrix {

// "cu.usbserial-SERIAL" or "cu.qorMODEL-SERIAL" -> SERIAL; nullopt for any other name.
std::optional<std::string> serialFromNodeName(const std::string& name);

}  // namespace harbrix
