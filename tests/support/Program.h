// Runs one of the build's programs to completion and collects what it printed.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace harbrix::test {

struct ProgramResult {
    int status = -1;  // exit status; 128 + signal when a signal ended it
    std::string out;
    std::string err;
};

// `environment` entries are added to (or replace) the test's own environment.
ProgramResult runProgram(const std::string& path, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {});

}  // namespace harbrix::test
