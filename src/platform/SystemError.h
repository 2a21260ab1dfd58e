// A system error number as words that fit inside a sentence: "not a directory".
#pragma once

#include <cstring>
#include <string>

namespace harbrix {

inline std::string systemErrorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] + 32);
    return text;
}

}  // namespace harbrix
