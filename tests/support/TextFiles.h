// Whole files as text, for tests that set up and inspect folders.
#pragma once

#include <string>

namespace harbrix::test {

// The file's bytes; empty when it cannot be read.
std::string readText(const std::string& path);
// Writes the bytes, creating the parent folders.
void writeText(const std::string& path, const std::string& content);

}  // namespace harbrix::test
