// Decimal and hexadecimal number parsing and printing.
#include "link/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace harbrix {
namespace {

constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();

struct ParseCase {
    const char* text;
    std::optional<std::uint64_t> number;
};

class NumberWithString : public testing::TestWithParam<ParseCase> {};

TEST_P(NumberWithString, Parses) {
    EXPECT_EQ(numberWithString(GetParam().text), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberWithString,
    testing::Values(ParseCase{"0x1F", 31}, ParseCase{"0X1f", 31}, ParseCase{"12", 12},
                    ParseCase{"0x", std::nullopt}, ParseCase{"0xg", std::nullopt},
                    ParseCase{"0x1fzz", 31},  // hexadecimal reading stops at the first non-digit
                    ParseCase{"", std::nullopt}, ParseCase{" 42\n", 42}, ParseCase{"+7", 7},
                    ParseCase{"-7", std::nullopt}, ParseCase{"12abc", std::nullopt},
                    ParseCase{"1 2", std::nullopt}, ParseCase{"+", std::nullopt},
                    ParseCase{"   ", std::nullopt}, ParseCase{"18446744073709551615", kMax},
                    ParseCase{"18446744073709551616", std::nullopt},
                    ParseCase{"0xffffffffffffffff", kMax},
                    ParseCase{"0x10000000000000000", std::nullopt},
                    ParseCase{" 0x10", std::nullopt}));

TEST(NumberWithHexString, AcceptsDigitsWithOrWithoutPrefix) {
    EXPECT_EQ(numberWithHexString("bad"), 2989u);
    EXPECT_EQ(numberWithHexString("0xBAD"), 2989u);
    EXPECT_EQ(numberWithHexString("12"), 0x12u);
    EXPECT_EQ(numberWithHexString("7fq"), 0x7fu);
    EXPECT_EQ(numberWithHexString(""), std::nullopt);
    EXPECT_EQ(numberWithHexString("0x"), std::nullopt);
    EXPECT_EQ(numberWithHexString("xyz"), std::nullopt);
    EXPECT_EQ(numberWithHexString("00000000000000001"), 1u);  // leading zeros never overflow
}

TEST(HexStringValue, AllFourFormsPadTheDigitsOnly) {
    struct Case {
        std::uint64_t value;
        std::size_t width;
        const char *lower, *prefixed, *upper, *prefixedUpper;
    };
    const Case cases[] = {
        {2989, 0, "bad", "0xbad", "BAD", "0xBAD"},
        {2748, 4, "0abc", "0x0abc", "0ABC", "0x0ABC"},
        {10, 4, "000a", "0x000a", "000A", "0x000A"},
        {0, 0, "0", "0x0", "0", "0x0"},
        {0x12345, 2, "12345", "0x12345", "12345", "0x12345"},  // never cropped
        {kMax, 0, "ffffffffffffffff", "0xffffffffffffffff", "FFFFFFFFFFFFFFFF",
         "0xFFFFFFFFFFFFFFFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lower);
        EXPECT_EQ(hexStringValue(c.value, c.width), c.lower);
        EXPECT_EQ(prefixedHexStringValue(c.value, c.width), c.prefixed);
        EXPECT_EQ(uppercaseHexStringValue(c.value, c.width), c.upper);
        EXPECT_EQ(prefixedUppercaseHexStringValue(c.value, c.width), c.prefixedUpper);
    }
}

}  // namespace
}  // namespace harbrix
