// A small UTF-8 decoder, enough to validate and to recognise white space at either end.
#include "link/Utf8Text.h"

#include <cstdint>
#include <optional>

namespace harbrix {
namespace {

struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

// The code point starting at `at`, or none when the bytes there are not well-formed UTF-8.
std::optional<Decoded> decodeAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;  // below this the form is overlong
    if (lead < 0x80) return Decoded{lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;  // continuation byte, C0/C1 (always overlong) or F5..FF
    }
    if (text.size() - at < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF) return std::nullopt;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return std::nullopt;
    return Decoded{codePoint, length};
}

bool isSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto decoded = decodeAt(text, at);
        if (!decoded) return false;
        at += decoded->length;
    }
    return true;
}

std::string_view trimmedText(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto decoded = decodeAt(text, begin);
        if (!decoded || !isSpace(decoded->codePoint)) break;
        begin += decoded->length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Step back to the lead byte of the last character.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<std::uint8_t>(text[start]) & 0xC0) == 0x80) --start;
        const auto decoded = decodeAt(text, start);
        if (!decoded || start + decoded->length != end || !isSpace(decoded->codePoint)) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

}  // namespace harbrix
