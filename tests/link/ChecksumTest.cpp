// MD5 digests and the launch-token checksum.
#include "link/Checksum.h"

#include <gtest/gtest.h>

#include <string>

namespace harbrix {
namespace {

Bytes ascii(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(MD5, MatchesTheReferenceVectors) {
    EXPECT_EQ(MD5String({}), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(MD5String(ascii("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(MD5String(ascii("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    const Bytes digest = MD5(ascii("abc"));
    ASSERT_EQ(digest.size(), 16u);
    EXPECT_EQ(digest.front(), 0x90);
    EXPECT_EQ(digest.back(), 0x72);
}

// The installer recomputes these values on its own, so they are pinned here.
TEST(Checksum, IsTheDigestOfTheLittleEndianNumber) {
    EXPECT_EQ(checksum(0), "7dea362b3fac8e00956a4952a3d4f474");
    EXPECT_EQ(checksum(1), "33cdeccccebe80329f1fdbee7f5874cb");
    EXPECT_EQ(checksum(0x0123456789ABCDEF), "84599aa748c0e3efb663086a3930e597");
    EXPECT_EQ(checksum(0xFFFFFFFFFFFFFFFF), "c2cb56f4c5bf656faca0986e7eba0308");
    EXPECT_EQ(checksum(0x0123456789ABCDEF),
              MD5String({0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}));
    EXPECT_NE(checksum(800000000), checksum(800000001));
}

}  // namespace
}  // namespace harbrix
