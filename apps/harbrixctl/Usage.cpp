#include "Usage.h"

#include <cctype>
#include <sstream>

namespace harbrix::ctl {
namespace {

constexpr std::size_t kSummaryColumn = 24;
constexpr std::size_t kWidth = 96;

// Appends `text` word by word, starting at `column`, continuing lines at kSummaryColumn.
void appendWrapped(std::string& out, const std::string& text, std::size_t column) {
    std::istringstream words(text);
    std::string word;
    bool first = true;
    while (words >> word) {
        if (!first && column + 1 + word.size() > kWidth) {
            out += "\n" + std::string(kSummaryColumn, ' ');
            column = kSummaryColumn;
            first = true;
        }
        if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
    out += '\n';
}

}  // namespace

std::string usageText(const std::vector<Command>& commands, const std::string& notes) {
    std::string out =
        "usage: harbrixctl COMMAND [ARGUMENTS] [--log] [--framing guarded|silence|fast]\n"
        "       harbrixctl --help | --version\n";
    for (const Command& command : commands) {
        std::string head = std::string("  ") + command.name;
        if (*command.arguments != '\0') head += std::string(" ") + command.arguments;
        out += head;
        // The summary starts in its column when the head leaves room, else two spaces after it.
        const std::size_t column =
            head.size() + 2 <= kSummaryColumn ? kSummaryColumn : head.size() + 2;
        out += std::string(column - head.size(), ' ');
        appendWrapped(out, command.summary, column);
    }
    return out + notes;
}

std::string commandList(const std::vector<Command>& commands) {
    std::string out;
    for (const Command& command : commands)
        out += std::string(command.name) + "\t" + command.arguments + "\t" + command.summary + "\n";
    return out;
}

std::set<std::string> optionsOf(const Command& command) {
    std::set<std::string> options;
    const std::string arguments = command.arguments;
    for (std::size_t at = arguments.find("--"); at != std::string::npos;
         at = arguments.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < arguments.size() &&
               (std::isalnum(static_cast<unsigned char>(arguments[end])) || arguments[end] == '-'))
            ++end;
        if (end > at + 2) options.insert(arguments.substr(at + 2, end - at - 2));
    }
    return options;
}

}  // namespace harbrix::ctl
