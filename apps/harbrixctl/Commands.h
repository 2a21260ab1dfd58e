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
int listCommand(const CommandLine& line);
int watchCommand(const CommandLine& line);
int updateCommand(const CommandLine& line);
int driverCommand(const CommandLine& line);
int presetsCommand(const CommandLine& line);
int getCommand(const CommandLine& line);
int putCommand(const CommandLine& line);
int renameCommand(const CommandLine& line);
int selectCommand(const CommandLine& line);
int backupCommand(const CommandLine& line);
int restoreCommand(const CommandLine& line);
int settingsCommand(const CommandLine& line);
int resetCommand(const CommandLine& line);
int flashCommand(const CommandLine& line);
int rebootCommand(const CommandLine& line);
int effectCommand(const CommandLine& line);
int moveCommand(const CommandLine& line);
int copyCommand(const CommandLine& line);
int swapCommand(const CommandLine& line);
int deleteCommand(const CommandLine& line);
int paramsCommand(const CommandLine& line);
int historyCommand(const CommandLine& line);
int undoCommand(const CommandLine& line);
int redoCommand(const CommandLine& line);
int libraryCommand(const CommandLine& line);
int snapshotsCommand(const CommandLine& line);
int snapshotCommand(const CommandLine& line);

}  // namespace harbrix::ctl
