// Hexadecimal byte text, the log dump and little-endian reads.
#include "link/ByteText.h"

#include <gtest/gtest.h>

#include <limits>

namespace harbrix {
namespace {

struct HexCase {
    const char* text;
    std::optional<Bytes> bytes;
};

class DataFromHexString : public testing::TestWithParam<HexCase> {};

TEST_P(DataFromHexString, Converts) {
    EXPECT_EQ(dataFromHexString(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataFromHexString,
                         testing::Values(HexCase{"B04F7F", Bytes{0xB0, 0x4F, 0x7F}},
                                         HexCase{"0x0A0B", Bytes{0x0A, 0x0B}},
                                         HexCase{"0X0a0b", Bytes{0x0A, 0x0B}},
                                         HexCase{"", std::nullopt}, HexCase{"ABC", std::nullopt},
                                         HexCase{"0x0A0", std::nullopt},
                                         HexCase{"1g", std::nullopt}, HexCase{"g1", std::nullopt},
                                         HexCase{"0A 0B", std::nullopt},
                                         HexCase{" 0", std::nullopt}, HexCase{"0x", Bytes{}}));

TEST(PrettyDescription, GroupsFourBytes) {
    EXPECT_EQ(prettyDescription({}), "");
    EXPECT_EQ(prettyDescription({0x0D}), "0d");
    EXPECT_EQ(prettyDescription({0x0D, 0, 0, 0}), "0d000000");
    EXPECT_EQ(prettyDescription({0x0D, 0, 0, 0, 0, 0, 0, 0}), "0d000000 00000000");
    EXPECT_EQ(prettyDescription({0xAB, 0xCD, 0xEF, 0x01, 0xFF}), "abcdef01 ff");
}

TEST(UnsignedIntAtIndex, ReadsLittleEndianWithinBounds) {
    const Bytes bytes{0x01, 0x02, 0x03, 0x04, 0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(unsignedIntAtIndex(bytes, 0), 0x04030201u);
    EXPECT_EQ(unsignedIntAtIndex(bytes, 4), 0x12345678u);
    EXPECT_EQ(unsignedIntAtIndex(bytes, 5), 0u);
    EXPECT_EQ(unsignedIntAtIndex(bytes, 8), 0u);
    EXPECT_EQ(unsignedIntAtIndex(bytes, 9), 0u);
    EXPECT_EQ(unsignedIntAtIndex(bytes, std::numeric_limits<std::size_t>::max() - 1), 0u);
    EXPECT_EQ(unsignedIntAtIndex({}, 0), 0u);
    EXPECT_EQ(unsignedIntAtIndex({0xFF, 0xFF, 0xFF, 0xFF}, 0), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace harbrix
