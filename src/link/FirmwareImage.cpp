// LDR recognition and conversion, scanned by hand: the images run to megabytes and every
// token has the same fixed shape.
#include "link/FirmwareImage.h"

#include <filesystem>
#include <fstream>

namespace harbrix {
namespace {

constexpr std::size_t kTokenLength = 4;  // "0x" and two digits
constexpr std::size_t kLineLength = 6;   // a token and CR LF
constexpr std::size_t kHeadLines = 20;
constexpr std::size_t kMinimumTokens = 100;

int hexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte a token at `at` stands for; none when there is no whole token there.
std::optional<std::uint8_t> tokenAt(const Bytes& bytes, std::size_t at) {
    if (bytes.size() - at < kTokenLength || bytes[at] != '0') return std::nullopt;
    if (bytes[at + 1] != 'x' && bytes[at + 1] != 'X') return std::nullopt;
    const int high = hexDigit(bytes[at + 2]);
    const int low = hexDigit(bytes[at + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high << 4 | low);
}

}  // namespace

bool isLDR(const Bytes& bytes) {
    if (bytes.size() < kHeadLines * kLineLength) return false;
    for (std::size_t line = 0; line < kHeadLines; ++line) {
        const std::size_t at = line * kLineLength;
        if (!tokenAt(bytes, at) || bytes[at + 4] != '\r' || bytes[at + 5] != '\n') return false;
    }
    return true;
}

std::optional<Bytes> dataFromLDR(const Bytes& text) {
    if (text.empty()) return std::nullopt;
    Bytes image;
    image.reserve(text.size() / kLineLength + 1);
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] > 0x7F) return std::nullopt;
        if (const auto byte = tokenAt(text, at)) {
            image.push_back(*byte);
            // The token's characters are all ASCII, so nothing is skipped unchecked.
            at += kTokenLength;
        } else {
            ++at;
        }
    }
    if (image.size() < kMinimumTokens) return std::nullopt;
    return image;
}

std::optional<Bytes> bytesOfFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    // Sized once, so a large image is never held twice while it is read.
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    Bytes bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) return std::nullopt;
    return bytes;
}

}  // namespace harbrix
