// Whole files as text, for tests that set up and inspect folders.
#pragma once

#include <cstddef>
#include <string>

namespace harbrix::test {

// The file's bytes; empty when it cannot be read.
std::string readText(const std::string& path);
// Writes the bytes, creating the parent folders.
void writeText(const std::string& path, const std::string& content);
// How often `part` occurs in the file (a record of requests: how often one was received).
std::size_t occurrences(const std::string& path, const std::string& part);

}  // namespace harbrix::test
