// Telling LDR text from raw images and turning it into bytes, at the edges where a
// well-meant check goes wrong: length limits, token counts, letter case, stray text.
#include <gtest/gtest.h>

#include <cstdio>

#include "link/FirmwareImage.h"

namespace harbrix {
namespace {

// `count` lines "0xNN\r\n" with the bytes 0, 1, 2, ...
std::string ldrText(std::size_t count, const char* prefix = "0x", bool upper = false) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, upper ? "%s%02X\r\n" : "%s%02x\r\n", prefix,
                      static_cast<unsigned>(i & 0xFF));
        text += line;
    }
    return text;
}

Bytes bytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes counting(std::size_t count) {
    Bytes result(count);
    for (std::size_t i = 0; i < count; ++i) result[i] = static_cast<std::uint8_t>(i);
    return result;
}

TEST(FirmwareImageTest, RecognisesLDRByItsFirstTwentyLines) {
    const std::string twenty = ldrText(20);
    ASSERT_EQ(twenty.size(), 120u);
    const struct {
        const char* what;
        std::string text;
        bool ldr;
    } cases[] = {
        {"exactly twenty lines", twenty, true},
        {"one byte short", twenty.substr(0, 119), false},
        {"long file", ldrText(500), true},
        {"upper-case prefix", ldrText(20, "0X"), true},
        {"upper-case digits", ldrText(20, "0x", true), true},
        {"bare line feeds",
         [] {
             std::string t;
             for (int i = 0; i < 24; ++i) t += "0x1f\n";
             return t;
         }(),
         false},
        {"a bad digit in line 20", twenty.substr(0, 117) + "g\r\n" + ldrText(5), false},
        {"a comment first", "; loader\r\n" + ldrText(30), false},
        {"120 bytes of zeros", std::string(120, '\0'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(isLDR(bytes(c.text)), c.ldr) << c.what;
}

TEST(FirmwareImageTest, ConvertsEveryTokenWhereverItStands) {
    EXPECT_EQ(dataFromLDR(bytes(ldrText(100))), counting(100));
    EXPECT_EQ(dataFromLDR(bytes(ldrText(300, "0X", true))), counting(300));

    // Tokens between other text, several on a line, and the longest match rule of a
    // scanner: "0x0x12" holds one token, "0xABC" the byte AB.
    std::string mixed = "image: 0x0x12 then 0xABC,0Xcd;";
    mixed += ldrText(98);
    Bytes expected{0x12, 0xAB, 0xCD};
    const Bytes rest = counting(98);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(dataFromLDR(bytes(mixed)), expected);
}

TEST(FirmwareImageTest, RejectsWhatCannotBeAnImage) {
    const struct {
        const char* what;
        Bytes input;
    } cases[] = {
        {"empty", {}},
        {"99 tokens", bytes(ldrText(99))},
        {"twenty good lines but few tokens", bytes(ldrText(20) + "end of file\r\n")},
        {"not ASCII",
         [] {
             Bytes b = bytes(ldrText(150));
             b[400] = 0xE9;
             return b;
         }()},
    };
    for (const auto& c : cases) EXPECT_FALSE(dataFromLDR(c.input)) << c.what;
}

// What a file becomes before anything is sent: Intel HEX text, an empty file and anything
// larger than the flash are refused; raw and LDR images up to the flash size pass.
TEST(FirmwareImageTest, RefusesWhatThePedalCannotTake) {
    const std::string hex =
        ":10010000214601360121470136007EFE09D2190140\r\n:00000001FF\r\n";
    const struct {
        const char* what;
        Bytes file;
        ImageRefusal refusal;
        std::size_t size;  // of the image when it passes
    } cases[] = {
        {"empty file", {}, ImageRefusal::empty, 0},
        {"Intel HEX", bytes(hex), ImageRefusal::intelHex, 0},
        {"Intel HEX after a blank line, LF only", bytes("\n:0400000A0102030416\n"),
         ImageRefusal::intelHex, 0},
        {"Intel HEX behind a byte-order mark", bytes("\xEF\xBB\xBF" + hex),
         ImageRefusal::intelHex, 0},
        {"LDR text with too few tokens", bytes(ldrText(20) + "end\r\n"), ImageRefusal::badLDR, 0},
        {"one byte over the flash", Bytes(kPedalFlashSize + 1, 0x5A), ImageRefusal::tooLarge, 0},
        {"raw image filling the flash", Bytes(kPedalFlashSize, 0x5A), ImageRefusal::none,
         kPedalFlashSize},
        {"raw image starting with a colon", bytes(":\x01\x02 binary"), ImageRefusal::none, 10},
        {"colon and too few digits", bytes(":0102\r\n"), ImageRefusal::none, 7},
        {"LDR text", bytes(ldrText(300)), ImageRefusal::none, 300},
    };
    for (const auto& c : cases) {
        const FlashableImage image = flashableImage(c.file);
        EXPECT_EQ(image.refusal, c.refusal) << c.what;
        EXPECT_EQ(image.bytes.size(), c.size) << c.what;
        EXPECT_EQ(refusalText(image.refusal).empty(), c.refusal == ImageRefusal::none) << c.what;
    }
}

}  // namespace
}  // namespace harbrix
