// The commands of harbrixctl, each in its own file.
#pragma once

#include <cstddef>
#include <string>

#include "CommandLine.h"

namespace harbrix::ctl {

// Prints "harbrixctl: MESSAGE" and returns the exit status for bad input (2).
int usageError(const std::string& message);
std::size_t elementSizeForCode(std::uint8_t sizeCode);

int identifyCommand(const CommandLine& line);

}  // namespace harbrix::ctl
