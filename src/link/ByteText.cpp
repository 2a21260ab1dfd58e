// Hexadecimal byte text and little-endian reads shared by the link, firmware and logs.
#include "link/ByteText.h"

namespace harbrix {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Bytes> dataFromHexString(std::string_view text) {
    if (text.empty() || text.size() % 2 != 0) return std::nullopt;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    Bytes bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string prettyDescription(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2 + bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0) text.push_back(' ');
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0xF]);
    }
    return text;
}

std::uint32_t unsignedIntAtIndex(const Bytes& bytes, std::size_t index) {
    if (index > bytes.size() || bytes.size() - index < 4) return 0;
    return static_cast<std::uint32_t>(bytes[index]) |
           static_cast<std::uint32_t>(bytes[index + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[index + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[index + 3]) << 24;
}

}  // namespace harbrix
