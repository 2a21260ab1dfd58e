// Padding, cropping and preset-name sanitising.
#include "link/StringPad.h"

#include <gtest/gtest.h>

namespace harbrix {
namespace {

struct PadCase {
    const char* text;
    std::size_t width;
    bool prepend;
    const char* character;
    bool cropped;
    const char* expected;
};

class PaddedStringCore : public testing::TestWithParam<PadCase> {};

TEST_P(PaddedStringCore, PadsAndCrops) {
    const auto& c = GetParam();
    EXPECT_EQ(paddedStringCore(c.text, c.width, c.prepend, c.character, c.cropped), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaddedStringCore,
    testing::Values(
        PadCase{"ABC", 2, true, "0", false, "ABC"},  // no crop without the flag
        PadCase{"ABC", 2, false, " ", true, "AB"}, PadCase{"ABC", 3, false, " ", true, "ABC"},
        PadCase{"AB", 5, true, "0", false, "000AB"}, PadCase{"AB", 5, false, " ", true, "AB   "},
        PadCase{"", 3, false, "-", false, "---"}, PadCase{"ABC", 0, false, " ", true, ""},
        // Widths count characters, not bytes, and never split one.
        PadCase{"\xC3\xA9t\xC3\xA9", 5, false, ".", false, "\xC3\xA9t\xC3\xA9.."},
        PadCase{"\xC3\xA9t\xC3\xA9", 1, false, ".", true, "\xC3\xA9"},
        PadCase{"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 2, false, " ", true,
                "\xE2\x82\xAC\xE2\x82\xAC"},
        PadCase{"A", 3, true, "\xE2\x80\xA2", false,
                "\xE2\x80\xA2\xE2\x80\xA2"
                "A"},
        // An empty pad character must not spin forever.
        PadCase{"A", 4, true, "", false, "A"}, PadCase{"ABCDEF", 4, false, "", true, "ABCD"}));

TEST(PaddedString, ConvenienceForms) {
    EXPECT_EQ(zeroPaddedString("7", 3), "007");
    EXPECT_EQ(zeroPaddedString("ABC", 2), "ABC");
    EXPECT_EQ(paddedString("AB", 4), "AB  ");
    EXPECT_EQ(paddedString("ABCDE", 4), "ABCDE");
    EXPECT_EQ(paddedString("ABCDE", 4, true), "ABCD");
}

TEST(StringByPrependingString, NeedsAPrefix) {
    EXPECT_EQ(stringByPrependingString("name", std::string("/dev/")), "/dev/name");
    EXPECT_EQ(stringByPrependingString("name", std::string()), "name");
    EXPECT_EQ(stringByPrependingString("name", std::nullopt), std::nullopt);
}

TEST(Sanitized, KeepsOnlyAsciiAndReplacesTilde) {
    EXPECT_EQ(sanitized("Caf\xC3\xA9~Lead"), "Caf-Lead");
    EXPECT_EQ(sanitized("\xEF\xA2\x88Solo\xF0\x9F\x8E\xB8"), "Solo");  // U+F888 and an emoji
    EXPECT_EQ(sanitized(""), "");
    EXPECT_EQ(sanitized("Plain 1-2"), "Plain 1-2");
}

TEST(SanitizedData, IsTheAsciiBytesWithATerminator) {
    EXPECT_EQ(sanitizedData(""), Bytes{0});
    EXPECT_EQ(sanitizedData("A\xC3\xA9~"), (Bytes{'A', '-', 0}));
}

TEST(StringWithFormat, FormatsLongTexts) {
    EXPECT_EQ(stringWithFormat("%s/%02u", "slot", 7u), "slot/07");
    const std::string longText(1000, 'x');
    EXPECT_EQ(stringWithFormat("[%s]", longText.c_str()), "[" + longText + "]");
    EXPECT_EQ(stringWithFormat("%s", ""), "");
}

}  // namespace
}  // namespace harbrix
