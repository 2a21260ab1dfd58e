// Text padding and cropping for fixed-width columns and names, and the preset-name
// sanitising that turns a user's text into the bytes the pedal accepts. Widths count
// Unicode code points of the UTF-8 text; a multi-byte character is never split.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace harbrix {

// With `cropped`, a text longer than `width` is cut to its first `width` characters. Then
// `character` is added (in front when `prepend`, else at the end) while the result is
// shorter than `width`. An empty `character` pads nothing.
std::string paddedStringCore(const std::string& text, std::size_t width, bool prepend,
                             const std::string& character, bool cropped = false);
// "0" characters in front, never cropping.
std::string zeroPaddedString(const std::string& text, std::size_t width);
// Spaces at the end; cropped to `width` when asked.
std::string paddedString(const std::string& text, std::size_t width, bool cropped = false);
// `prefix` + `text`; none when there is no prefix.
std::optional<std::string> stringByPrependingString(const std::string& text,
                                                    const std::optional<std::string>& prefix);
// Only the ASCII characters of the text, with every "~" turned into "-".
std::string sanitized(const std::string& text);
// `sanitized` as ASCII bytes with a terminating 0 byte: a preset name as the pedal takes it.
Bytes sanitizedData(const std::string& text);
std::string stringWithFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace harbrix
