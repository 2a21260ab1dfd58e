// Firmware images as they arrive: raw bytes, or LDR loader text with one "0xNN" token per
// line for every byte of the image.
#pragma once

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

// The whole content of a file; none when it cannot be read.
std::optional<Bytes> bytesOfFile(const std::string& path);

}  // namespace harbrix
