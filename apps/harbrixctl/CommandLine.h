// The command line of harbrixctl: a command word, its positional arguments and options,
// which may stand anywhere on the line.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace harbrix::ctl {

struct CommandLine {
    std::string command;  // empty when the line names none
    std::vector<std::string> arguments;
    std::set<std::string> flags;                 // --log
    std::map<std::string, std::string> options;  // --serial SERIAL

    // Options that take a value; every other "--word" is a flag.
    static std::optional<CommandLine> parse(int argc, char** argv,
                                            const std::set<std::string>& valueOptions,
                                            std::string& error);
    bool flag(const std::string& name) const { return flags.count(name) != 0; }
};

}  // namespace harbrix::ctl
