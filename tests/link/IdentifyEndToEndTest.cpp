// harbrixctl identify against the simulated pedal: bring-up over a real pseudo-terminal,
// the line-speed switch remembered between runs, and the messages a user sees on failure.
#include <gtest/gtest.h>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using test::runProgram;
using test::Simulator;

class IdentifyTest : public ::testing::Test {
protected:
    test::TempDir cache;

    test::ProgramResult identify(const std::string& node, const std::string& model,
                                 std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"identify", node, model};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runProgram(test::binPath("harbrixctl"), arguments,
                          {{"HARBRIX_LOG", "stderr"}, {"XDG_CACHE_HOME", cache.path()}});
    }
};

TEST_F(IdentifyTest, SecondRunOnTheSameNodeDoesNotSwitchThePedalAgain) {
    Simulator pedal({"--model", "MIV3", "--serial", "ID0001"});
    ASSERT_TRUE(pedal.running()) << pedal.error();

    const auto first = identify(pedal.path(), "MIV3");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("Model:      MIV3 (MIV III)"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Firmware:   42.1 (built Mar 4 2021)"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("READ_PRESET"), std::string::npos);
    EXPECT_NE(first.out.find("Occupied:   01 02 03 04 05 (5 of 100)"), std::string::npos) << first.out;
    EXPECT_NE(first.err.find("GO TURBO (device)"), std::string::npos) << first.err;

    // The pedal is at 2,000,000 bit/s now; telling it again at 115200 would not be understood.
    const auto second = identify(pedal.path(), "MIV3");
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err.find("GO TURBO (device)"), std::string::npos) << second.err;
    EXPECT_NE(second.err.find("GO TURBO (system)"), std::string::npos);
    EXPECT_EQ(second.out, first.out);
}

TEST_F(IdentifyTest, PedalRestartedBehindTheSameNodeIsToldToSwitchAgain) {
    Simulator pedal({"--model", "MIV3", "--serial", "ID0003"});
    ASSERT_TRUE(pedal.running()) << pedal.error();
    const auto first = identify(pedal.path(), "MIV3");
    ASSERT_EQ(first.status, 0) << first.err;

    // Power-cycled: back at 115200 on the node whose number the cache remembers.
    ASSERT_TRUE(pedal.restartPedal());
    const auto afterRestart = identify(pedal.path(), "MIV3");
    ASSERT_EQ(afterRestart.status, 0) << afterRestart.err;
    EXPECT_NE(afterRestart.err.find("GO TURBO (device) AGAIN"), std::string::npos)
        << afterRestart.err;
    EXPECT_EQ(afterRestart.out, first.out);

    // And the run after that finds it fast again.
    const auto third = identify(pedal.path(), "MIV3");
    ASSERT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(third.err.find("GO TURBO (device)"), std::string::npos) << third.err;
}

TEST_F(IdentifyTest, NaxStaysAtTheStartSpeedAndListsNoPresetCommands) {
    Simulator pedal({"--model", "NAX3", "--serial", "ID0002", "--qor-name"});
    ASSERT_TRUE(pedal.running()) << pedal.error();
    // A bare name is looked up under the device root.
    const auto rooted = runProgram(test::binPath("harbrixctl"), {"identify", pedal.nodeName(), "NAX3", "--log"},
                                   {{"HARBRIX_DEV_ROOT", pedal.dir()}, {"XDG_CACHE_HOME", cache.path()}});
    ASSERT_EQ(rooted.status, 0) << rooted.err;
    EXPECT_NE(rooted.out.find("Model:      NAX3 (NAX III)"), std::string::npos);
    EXPECT_EQ(rooted.out.find("READ_PRESET"), std::string::npos);
    EXPECT_NE(rooted.err.find("WRITE: 0d000000 00000000"), std::string::npos) << rooted.err;
    EXPECT_NE(rooted.err.find("READ: "), std::string::npos);
}

TEST_F(IdentifyTest, FailuresSayWhatWentWrong) {
    Simulator silent({"--model", "MIV3", "--serial", "ID0003", "--fail-after", "1"});
    ASSERT_TRUE(silent.running()) << silent.error();
    const auto mute = identify(silent.path(), "MIV3");
    EXPECT_EQ(mute.status, 1);
    EXPECT_NE(mute.err.find("harbrixctl: no answer to WHO_RU"), std::string::npos) << mute.err;

    const auto missing = identify(cache.path() + "/cu.usbserial-NOPE", "MIV3");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("harbrixctl: cannot open " + cache.path() + "/cu.usbserial-NOPE"),
              std::string::npos)
        << missing.err;

    const auto badModel = identify(silent.path(), "MIV2");
    EXPECT_EQ(badModel.status, 2);
    EXPECT_NE(badModel.err.find("unknown model"), std::string::npos);

    const auto noArguments = runProgram(test::binPath("harbrixctl"), {"identify"});
    EXPECT_EQ(noArguments.status, 2);
}

}  // namespace
}  // namespace harbrix
