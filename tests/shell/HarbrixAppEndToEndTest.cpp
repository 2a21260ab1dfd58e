// The application as a user starts it, offscreen, with a simulated MIV3 plugged in: it
// finds the pedal, brings it up and saves what its window shows.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

const std::string kApplication = HARBRIX_TEST_BIN_DIR "/../Harbrix.app/Contents/MacOS/Harbrix";

TEST(HarbrixApp, ConnectsToASimulatedPedalAndShowsIt) {
    test::TempDir session("harbrix-app");
    std::filesystem::create_directories(session.file("pedals"));
    test::Simulator pedal(
        {"--dir", session.file("pedals"), "--model", "MIV3", "--serial", "APP0001"});
    ASSERT_TRUE(pedal.running()) << pedal.error();
    std::filesystem::create_directories(session.file("home"));

    const auto result = test::runProgram(
        kApplication, {"--screenshot", session.file("shots"), "--quit-after", "6"},
        {{"QT_QPA_PLATFORM", "offscreen"},
         {"HARBRIX_LOG", "stderr"},
         {"HOME", session.file("home")},
         {"XDG_CACHE_HOME", session.file("cache")},
         {"HARBRIX_DEV_ROOT", pedal.dir()},
         {"HARBRIX_USB_INVENTORY",
          std::string(HARBRIX_TEST_BIN_DIR) + "/pedalsim inventory '" + pedal.dir() + "'"},
         {"HARBRIX_DRIVER_FINDER", "echo udev/rules.d/60-harbrix-qor.rules"},
         {"HARBRIX_UPDATE_SERVER", "http://127.0.0.1:9"}});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("MIV3 is connected and ready"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Problem initializing QORUARTDevice"), std::string::npos);
    const auto shot = std::filesystem::path(session.file("shots")) / "harbrix.png";
    ASSERT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 10000u);
}

}  // namespace
}  // namespace harbrix
