// Where the tests find the programs the build made.
#pragma once

#include <string>

namespace harbrix::test {

// Full path of an executable in the build's bin folder.
std::string binPath(const std::string& name);

}  // namespace harbrix::test
