#include "devices/NodeNames.h"

#include <regex>

namespace harbrix {

std::optional<std::string> serialFromNodeName(const std::string& name) {
    static const std::regex patterns[] = {
        std::regex("^cu\\.usbserial-([A-Za-z0-9]+)$"),
        std::regex("^cu\\.qor[^-]+-([A-Za-z0-9]+)$"),
    };
    for (const auto& pattern : patterns) {
        std::smatch match;
        if (std::regex_match(name, match, pattern) && match[1].length() > 0) return match[1].str();
    }
    return std::nullopt;
}

}  // namespace harbrix
