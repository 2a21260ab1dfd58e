// Firmware images as they arrive: raw bytes, or LDR loader text with one "0xNN" token per
// line for every byte of the image. Anything else (Intel HEX text, an empty file, more than
// the pedal's flash holds) is refused before a byte is sent.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace harbrix {

// Whether the bytes start like LDR text: 20 lines "0xNN" CR LF (either case) in the first
// 120 bytes. Anything shorter is raw.
bool isLDR(const Bytes& bytes);

// The image an LDR text describes: one byte per "0xNN" token wherever it stands. None for
// empty input, input that is not ASCII, or fewer than 100 tokens (too little to be firmware).
std::optional<Bytes> dataFromLDR(const Bytes& text);

// Whether the bytes read as Intel HEX text: the first line is a record, ":" followed by at
// least the ten hexadecimal digits of byte count, address, type and checksum, and nothing
// else up to its line end. The pedal's loader cannot take it, and flashing the text itself
// would pass every read-back.
bool isIntelHex(const Bytes& bytes);

// The pedal's flash chip: 4 MiB. An image larger than this can never be written whole.
inline constexpr std::size_t kPedalFlashSize = 4 * 1024 * 1024;

// Why a file cannot be flashed.
enum class ImageRefusal { none, empty, intelHex, badLDR, tooLarge };

// What the pedal would be sent for a file: raw bytes as they are, LDR text converted. When
// `refusal` is not none the bytes are empty and nothing may be sent.
struct FlashableImage {
    Bytes bytes;
    ImageRefusal refusal = ImageRefusal::none;
};
FlashableImage flashableImage(const Bytes& file);

// The refusal in words for the user ("The file is empty."); empty for none.
std::string refusalText(ImageRefusal refusal);

// The whole content of a file; none when it cannot be read.
std::optional<Bytes> bytesOfFile(const std::string& path);

}  // namespace harbrix
