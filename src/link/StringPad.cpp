// Counting works on UTF-8 lead bytes so that invalid input still has a defined length
// (each stray byte counts as one character) and cropping can only cut between sequences.
#include "link/StringPad.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Log.h"

namespace harbrix {
namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char byte : text) {
        if (!isContinuation(byte)) ++count;
    }
    return count;
}

// The first `count` characters, with the continuation bytes of the last one.
std::string prefixCharacters(const std::string& text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i]))) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

}  // namespace

std::string paddedStringCore(const std::string& text, std::size_t width, bool prepend,
                             const std::string& character, bool cropped) {
    std::string result = text;
    std::size_t length = characterCount(result);
    if (cropped && length > width) {
        result = prefixCharacters(result, width);
        length = width;
    }
    const std::size_t step = characterCount(character);
    if (step == 0 || length >= width) return result;
    std::string padding;
    while (length < width) {
        padding += character;
        length += step;
    }
    return prepend ? padding + result : result + padding;
}

std::string zeroPaddedString(const std::string& text, std::size_t width) {
    return paddedStringCore(text, width, true, "0");
}

std::string paddedString(const std::string& text, std::size_t width, bool cropped) {
    return paddedStringCore(text, width, false, " ", cropped);
}

std::optional<std::string> stringByPrependingString(const std::string& text,
                                                    const std::optional<std::string>& prefix) {
    if (!prefix) return std::nullopt;
    return *prefix + text;
}

// Every byte of a multi-byte UTF-8 sequence is >= 128, so dropping those bytes drops exactly
// the non-ASCII characters.
std::string sanitized(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (unsigned char byte : text) {
        if (byte >= 128) continue;
        result.push_back(byte == '~' ? '-' : static_cast<char>(byte));
    }
    return result;
}

Bytes sanitizedData(const std::string& text) {
    const std::string ascii = sanitized(text);
    Bytes bytes(ascii.begin(), ascii.end());
    bytes.push_back(0);
    return bytes;
}

std::string stringWithFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatArguments(format, args);
    va_end(args);
    return text;
}

}  // namespace harbrix
