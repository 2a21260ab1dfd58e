#include "CommandLine.h"

namespace harbrix::ctl {

std::optional<CommandLine> CommandLine::parse(int argc, char** argv,
                                              const std::set<std::string>& valueOptions,
                                              std::string& error) {
    CommandLine line;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() > 2 && word.rfind("--", 0) == 0) {
            const std::string name = word.substr(2);
            if (valueOptions.count(name) != 0) {
                if (i + 1 >= argc) {
                    error = "option " + word + " needs a value";
                    return std::nullopt;
                }
                line.options[name] = argv[++i];
            } else {
                line.flags.insert(name);
            }
        } else {
            words.push_back(word);
        }
    }
    if (words.empty()) return line;
    line.command = words.front();
    line.arguments.assign(words.begin() + 1, words.end());
    return line;
}

}  // namespace harbrix::ctl
