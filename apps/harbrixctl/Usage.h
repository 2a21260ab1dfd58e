// What harbrixctl says about itself: the usage text and the command list that the manual
// page and the shell completion read, both made from the one table of commands in main.cpp.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace harbrix::ctl {

struct Command {
    const char* name;
    const char* arguments;  // "PEDAL SLOT [--load]": shown after the name; its --options are the
                            // command's own
    const char* summary;    // one sentence, wrapped by the usage text
    int (*run)(const CommandLine& line);
};

// Options every command takes.
inline const std::set<std::string> kCommonOptions = {"serial", "log", "help", "version", "framing"};

// "usage: harbrixctl ..." with one entry per command, the summaries wrapped beside the names,
// then `notes` as written.
std::string usageText(const std::vector<Command>& commands, const std::string& notes);
// One line per command: "NAME<TAB>ARGUMENTS<TAB>SUMMARY".
std::string commandList(const std::vector<Command>& commands);
// The --options a command's arguments name ("[--load]" gives "load").
std::set<std::string> optionsOf(const Command& command);

}  // namespace harbrix::ctl
