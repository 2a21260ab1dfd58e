// UTF-8 checks and trimming of pedal text.
#include "link/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>

namespace harbrix {
namespace {

TEST(Utf8, AcceptsWellFormedAndRefusesTheRest) {
    const std::pair<const char*, bool> cases[] = {
        {"plain", true},
        {"\xE2\x82\xAC", true},       // U+20AC
        {"\xF0\x9F\x8E\xB8", true},   // U+1F3B8
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xEF\xA2\x88", true},       // U+F888, private use
        {"\x80", false},              // stray continuation
        {"\xC0\x80", false},          // overlong NUL
        {"\xE0\x80\xAF", false},      // overlong '/'
        {"\xF0\x80\x80\xAF", false},  // overlong '/'
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xE2\x82", false},          // cut off
        {"ok\xC3", false},            // cut off at the end
        {"\xC3\x28", false},          // continuation missing
        {"\xFF", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(isValidUtf8(text), valid) << text;
}

TEST(Utf8, TrimsAsciiAndUnicodeSpaceAtBothEndsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {" \t\r\nName \n", "Name"},
        {"\xC2\xA0Two  words\xE3\x80\x80", "Two  words"},
        {"\xE2\x80\xA8\xC2\x85x\xE2\x80\xA9", "x"},
        {"   ", ""},
        {"\xC3\xBC", "\xC3\xBC"},  // ends in a continuation byte that is not space
        {"", ""},
    };
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(trimmedText(text), trimmed) << text;
}

}  // namespace
}  // namespace harbrix
