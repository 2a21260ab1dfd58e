// `pedalsim inventory DIR`: the running simulators of a folder as USB devices, and nothing
// of one that has ended, however it ended.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using nlohmann::json;

json inventory(const std::string& dir) {
    const auto result = test::runProgram(test::binPath("pedalsim"), {"inventory", dir});
    EXPECT_EQ(result.status, 0) << result.err;
    return json::parse(result.out, nullptr, false);
}

json devices(const std::string& dir) {
    const json report = inventory(dir);
    return report.is_object() ? report["SPUSBDataType"][0]["_items"] : json();
}

TEST(PedalsimInventory, ListsTheRunningSimulatorsOfAFolder) {
    test::TempDir dir;
    EXPECT_EQ(devices(dir.path()), json::array());
    {
        test::Simulator miv({"--model", "MIV3", "--serial", "INVA", "--dir", dir.path()});
        test::Simulator nax(
            {"--model", "NAX3", "--serial", "INVB", "--dir", dir.path(), "--qor-name"});
        ASSERT_TRUE(miv.running() && nax.running()) << miv.error() << nax.error();
        const json listed = devices(dir.path());
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_EQ(listed[0], (json{{"_name", "MIV3"},
                                   {"manufacturer", "QOR"},
                                   {"serial_num", "INVA"},
                                   {"vendor_id", "0x3a4d"},
                                   {"product_id", "0x0601"}}));
        EXPECT_EQ(listed[1]["product_id"], "0x0600");
        nax.kill();
        EXPECT_EQ(devices(dir.path()).size(), 1u);
    }
    EXPECT_EQ(devices(dir.path()), json::array());

    // Left behind by a simulator that was killed outright, or not a registration at all.
    std::ofstream(dir.file(".pedalsim-DEAD.json"))
        << json{{"pid", 999999999}, {"serial", "DEAD"}, {"model", "MIV3"}}.dump();
    std::ofstream(dir.file(".pedalsim-SELF.json"))
        << json{{"pid", ::getpid()}, {"serial", "SELF"}, {"model", "MIV4"}}.dump();
    std::ofstream(dir.file(".pedalsim-JUNK.json")) << "{ not json";
    EXPECT_EQ(devices(dir.path()), json::array());

    EXPECT_NE(test::runProgram(test::binPath("pedalsim"), {"inventory"}).status, 0);
    EXPECT_NE(test::runProgram(test::binPath("pedalsim"), {"inventory", dir.file("none")}).status,
              0);
}

}  // namespace
}  // namespace harbrix
