// Request frames: header layout, payload checks and the argument read back by the engine.
#include "link/Request.h"

#include <gtest/gtest.h>

#include "link/Commands.h"

namespace harbrix {
namespace {

TEST(Request, HeaderIsLittleEndianAndPayloadFollows) {
    const auto frame =
        buildRequest(Command::POKEC, 2, 1, 0x11900790, Bytes{0x78, 0x56, 0x34, 0x12});
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, (Bytes{0xF0, 0x02, 0x01, 0x00, 0x90, 0x07, 0x90, 0x11,  //
                             0x78, 0x56, 0x34, 0x12}));
}

TEST(Request, CountUsesBothBytesUpToSixteenBits) {
    const auto frame = buildRequest(Command::READ_FLASH, 0, 0xFFFF, 0);
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, (Bytes{0x02, 0, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(buildRequest(Command::READ_FLASH, 0, 256, 0)->at(3), 0x01);
}

TEST(Request, ElementSizes) {
    const std::pair<std::uint8_t, std::size_t> cases[] = {{0, 1}, {1, 2}, {2, 4},
                                                          {3, 8}, {4, 1}, {0xFF, 1}};
    for (const auto& [code, size] : cases) EXPECT_EQ(elementSize(code), size) << +code;
}

TEST(Request, RefusesFramesThePedalWouldMisread) {
    const struct {
        std::uint8_t sizeCode;
        std::uint32_t count;
        std::size_t payloadSize;
    } refused[] = {
        {1, 1, 3},              // three bytes for one 2-byte element
        {2, 7, 27},             // one short of seven words
        {3, 1, 9},              // one over
        {0, 0, 1},              // payload with a zero count
        {0, 0x10000, 0x10000},  // count beyond 16 bits, even with a matching payload
        {9, 2, 4},              // an unknown size code counts as bytes
    };
    for (const auto& r : refused)
        EXPECT_FALSE(buildRequest(0x84, r.sizeCode, r.count, 0, Bytes(r.payloadSize)))
            << +r.sizeCode << " " << r.count << " " << r.payloadSize;
    EXPECT_FALSE(buildRequest(0x02, 0, 0x10000, 0));

    EXPECT_TRUE(buildRequest(0x84, 9, 2, 0, Bytes(2)));
    EXPECT_EQ(buildRequest(0x84, 3, 2, 0, Bytes(16))->size(), 24u);
    EXPECT_EQ(buildRequest(0x93, 0, 0, 5, Bytes{})->size(), 8u);
}

TEST(Request, ArgumentReadsBackAndShortFramesGiveZero) {
    EXPECT_EQ(requestArgument(*buildRequest(Command::SET_BAUD, 2, 0, 2000000)), 2000000u);
    EXPECT_EQ(requestArgument(*buildRequest(Command::POKEC, 0, 1, 0xFEDCBA98, Bytes{1})),
              0xFEDCBA98u);
    EXPECT_EQ(requestArgument(Bytes{0xF0, 2, 1, 0, 0x90, 0x07, 0x90}), 0u);
    EXPECT_EQ(requestArgument(Bytes{}), 0u);
}

}  // namespace
}  // namespace harbrix
