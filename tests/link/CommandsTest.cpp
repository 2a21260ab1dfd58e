// The command-name table: names that history entries show, and codes that have none.
#include "link/Commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace harbrix {
namespace {

TEST(CommandNames, NamesTheCodesTheProtocolDefines) {
    const struct {
        std::uint8_t code;
        const char* name;
    } cases[] = {
        {0x00, "INVALID_CMD"},    {0x0D, "WHO_RU"},
        {0x16, "LOCAL_CONTROLX"}, {0xF1, "LOCAL_CONTROL"},
        {0x70, "PEEKC"},          {0x95, "SET_BAUD"},
        {0xF4, "WRITE_TON"},      {Command::READ_PRESET, "READ_PRESET"},
    };
    for (const auto& c : cases) EXPECT_EQ(commandName(c.code), std::string_view(c.name)) << +c.code;
}

TEST(CommandNames, ExactlyThirtyFourDistinctCodesHaveNames) {
    std::set<std::string_view> names;
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        if (auto name = commandName(static_cast<std::uint8_t>(code))) {
            ++named;
            names.insert(*name);
        }
    }
    EXPECT_EQ(named, 34);
    EXPECT_EQ(names.size(), 34u);
    for (std::uint8_t unnamed : {0x04, 0x07, 0x17, 0x6F, 0x74, 0xF5, 0xFF})
        EXPECT_FALSE(commandName(unnamed).has_value()) << +unnamed;
}

}  // namespace
}  // namespace harbrix
