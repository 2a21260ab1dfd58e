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

bool isIntelHex(const Bytes& bytes) {
    // A record: ':' LL AAAA TT (LL data bytes) CC, so at least ten digits.
    constexpr std::size_t kShortestRecordDigits = 10;
    std::size_t at = 0;
    // Editors and converters may put blank lines or a byte-order mark first.
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) at = 3;
    while (at < bytes.size() && (bytes[at] == '\r' || bytes[at] == '\n' || bytes[at] == ' '))
        ++at;
    if (at >= bytes.size() || bytes[at] != ':') return false;
    std::size_t digits = 0;
    for (++at; at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n'; ++at) {
        if (hexDigit(bytes[at]) < 0) return false;
        ++digits;
    }
    return digits >= kShortestRecordDigits && digits % 2 == 0;
}

FlashableImage flashableImage(const Bytes& file) {
    FlashableImage result;
    if (file.empty()) {
        result.refusal = ImageRefusal::empty;
    } else if (isIntelHex(file)) {
        result.refusal = ImageRefusal::intelHex;
    } else if (isLDR(file)) {
        if (auto converted = dataFromLDR(file))
            result.bytes = std::move(*converted);
        else
            result.refusal = ImageRefusal::badLDR;
    } else if (file.size() <= kPedalFlashSize) {
        result.bytes = file;
    } else {
        result.refusal = ImageRefusal::tooLarge;
    }
    if (result.bytes.size() > kPedalFlashSize) {
        result.bytes.clear();
        result.refusal = ImageRefusal::tooLarge;
    }
    return result;
}

std::string refusalText(ImageRefusal refusal) {
    switch (refusal) {
        case ImageRefusal::none:
            return {};
        case ImageRefusal::empty:
            return "The firmware file is empty.";
        case ImageRefusal::intelHex:
            return "The file is Intel HEX text, which the pedal cannot take; choose a raw (.bin) "
                   "or LDR (.ldr) image.";
        case ImageRefusal::badLDR:
            return "The file starts as LDR text but holds no firmware image.";
        case ImageRefusal::tooLarge:
            return "The image is larger than the pedal's flash (4 MiB).";
    }
    return {};
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
