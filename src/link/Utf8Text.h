// Checking and trimming UTF-8 text that arrives from the pedal.
#pragma once

#include <string_view>

namespace harbrix {

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing
// beyond U+10FFFF, no sequence cut off at the end.
bool isValidUtf8(std::string_view text);

// The text without leading and trailing white space and line ends (ASCII and the Unicode space
// separators, U+0085, U+2028, U+2029). Expects valid UTF-8.
std::string_view trimmedText(std::string_view text);

}  // namespace harbrix
