// harbrixctl update check without MODEL and FIRMWARE: the one connected pedal's model and
// firmware are checked, and it says which pedal that was; with none or several it asks
// which to name.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/HttpServer.h"
#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "updates/Torque.h"

namespace harbrix {
namespace {

class UpdateCheckTest : public ::testing::Test {
  protected:
    test::TempDir dev{"update-pedals"};
    test::TempDir home{"update-home"};
    test::HttpServer server;

    std::unique_ptr<test::Simulator> start(const std::string& model, const std::string& serial) {
        auto simulator = std::make_unique<test::Simulator>(
            std::vector<std::string>{"--model", model, "--serial", serial, "--dir", dev.path()});
        EXPECT_TRUE(simulator->running()) << simulator->error();
        return simulator;
    }

    void publish(const std::string& path, const std::string& version) {
        const std::string text = nlohmann::json::array({{{"name", "payload.bin"},
                                                         {"hash", "00"},
                                                         {"size", 10},
                                                         {"version", version},
                                                         {"baseline", "1.0"}}})
                                     .dump();
        const auto cipher = Torque::up(Bytes(text.begin(), text.end()));
        server.put(path, std::string(cipher->begin(), cipher->end()));
    }

    test::ProgramResult check() {
        return test::runProgram(test::binPath("harbrixctl"), {"update", "check"},
                                {{"HARBRIX_DEV_ROOT", dev.path()},
                                 {"HARBRIX_USB_INVENTORY",
                                  test::binPath("pedalsim") + " inventory '" + dev.path() + "'"},
                                 {"HARBRIX_UPDATE_SERVER", server.url()},
                                 {"HOME", home.path()},
                                 {"XDG_CACHE_HOME", home.file("cache")},
                                 {"XDG_DATA_HOME", home.file("data")}});
    }
};

TEST_F(UpdateCheckTest, ChecksTheOneConnectedPedalsFirmware) {
    publish("/assets/Harbrix/software/mac/_.manifest", "1.0.0");
    publish("/assets/Harbrix/firmware/MIV3/_.manifest", "42.1.0");
    publish("/assets/Harbrix/firmware/NAX3/_.manifest", "42.1.0");

    const auto none = check();
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no pedal connected: name the one to check"), std::string::npos)
        << none.err;

    // Alone, each pedal's own firmware is checked, against its own model's manifest, and
    // found current.
    const auto checksAlone = [this](const std::string& model, const std::string& serial,
                                    const std::string& other) {
        auto pedal = start(model, serial);
        const int before = server.requests("/assets/Harbrix/firmware/" + other + "/_.manifest");
        const auto one = check();
        ASSERT_EQ(one.status, 0) << one.err;
        EXPECT_NE(one.out.find("Pedal: " + model + " " + serial + " on " + pedal->nodeName() +
                               ", firmware 42.1\n"),
                  std::string::npos)
            << one.out;
        const auto firmware = one.out.find("Firmware " + model + "\n");
        ASSERT_NE(firmware, std::string::npos) << one.out;
        EXPECT_NE(one.out.find("  current   42.1\n", firmware), std::string::npos) << one.out;
        EXPECT_NE(one.out.find("  payload   none: up to date\n", firmware), std::string::npos)
            << one.out;
        EXPECT_EQ(server.requests("/assets/Harbrix/firmware/" + other + "/_.manifest"), before);
    };
    checksAlone("MIV3", "UPDM1", "NAX3");
    checksAlone("NAX3", "UPDN1", "MIV3");

    auto nax = start("NAX3", "UPDN1");
    auto miv = start("MIV3", "UPDM1");
    const auto two = check();
    EXPECT_EQ(two.status, 2);
    EXPECT_NE(two.err.find("2 pedals connected"), std::string::npos) << two.err;
    EXPECT_NE(two.err.find("UPDN1"), std::string::npos) << two.err;
    EXPECT_NE(two.err.find("UPDM1"), std::string::npos) << two.err;
}

}  // namespace
}  // namespace harbrix
