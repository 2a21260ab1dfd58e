// The command-line mode of the application executable: a release manager's tool that
// enciphers, checks and recovers "_.manifest" in the current directory.
#pragma once

#include <string>

namespace harbrix {

class ManifestTool {
  public:
    ManifestTool() = delete;

    // True when the arguments (program path first) ask for the tool: exactly one word,
    // "prepare", "verify" or "rebuild", letter case included.
    static bool wants(int argc, const char* const* argv);
    // Runs one of the three words in `directory`; returns the exit status. "verify" prints
    // "==" or "!=" on standard output; nothing else is ever printed.
    static int run(const std::string& word, const std::string& directory);
};

}  // namespace harbrix
