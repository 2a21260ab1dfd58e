// harbrixctl params against the simulated pedal: listing a preset's parameters, changing
// several in one write, and refusing bad input without writing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using nlohmann::json;

class ParamsEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        // Slot 1 holds "Lead" with every parameter byte 0x22 (value 17, switches 1 and 5 on);
        // slot 2 holds an unnamed preset; the rest are empty.
        std::ofstream(statePath())
            << json{{"presets", {{"0", leadHex()}, {"1", unnamedHex()}}}}.dump();
        pedal = std::make_unique<test::Simulator>(std::vector<std::string>{
            "--model", "MIV3", "--serial", "PAR001", "--state", statePath()});
        ASSERT_TRUE(pedal->running()) << pedal->error();
    }
    static std::string leadHex() {
        std::string hex = "4c656164";              // "Lead"
        for (int i = 4; i < 24; ++i) hex += "20";  // padded with spaces
        for (int i = 24; i < 104; ++i) hex += "22";
        return hex;
    }
    static std::string unnamedHex() {
        std::string hex;
        for (int i = 0; i < 24; ++i) hex += "20";
        for (int i = 24; i < 104; ++i) hex += "00";
        return hex;
    }
    std::string statePath() const { return files.file("state.json"); }
    std::string stored(int slot) const {
        return json::parse(test::readText(statePath()))["presets"].value(std::to_string(slot), "");
    }
    test::ProgramResult ctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"params", pedal->path(), "MIV3"});
        return test::runProgram(test::binPath("harbrixctl"), arguments,
                                {{"XDG_CACHE_HOME", cache.path()}});
    }

    test::TempDir files;
    test::TempDir cache;
    std::unique_ptr<test::Simulator> pedal;
};

TEST_F(ParamsEndToEnd, ListsEveryParameterByKey) {
    const auto shown = ctl({"1"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("name                   Lead\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("masterVolume           17\n"), std::string::npos);
    EXPECT_NE(shown.out.find("right                  on\n"), std::string::npos);
    EXPECT_NE(shown.out.find("left                   off\n"), std::string::npos);
    EXPECT_NE(shown.out.find("expMode                17\n"), std::string::npos);
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 33) << "the name and 32 keys";
}

TEST_F(ParamsEndToEnd, ChangesAreWrittenInOneWriteAndNameAnUnnamedPreset) {
    const auto changed = ctl({"2", "masterVolume=64", "dryAttack=on", "panDry=127"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_NE(changed.out.find("name                   User Preset 02\n"), std::string::npos);
    const std::string bytes = stored(1);
    ASSERT_EQ(bytes.size(), 208u);
    EXPECT_EQ(bytes.substr(0, 28), "5573657220507265736574203032") << "User Preset 02";
    EXPECT_EQ(bytes.substr(28 * 2, 2), "20") << "dryAttack is bit 5 of byte 28";
    EXPECT_EQ(bytes.substr(32 * 2, 4), "80fe") << "masterVolume 64, panDry 127";
    EXPECT_EQ(bytes.substr(34 * 2), std::string(140, '0')) << "nothing else changed";
    // Read back through the same command.
    const auto shown = ctl({"2"});
    EXPECT_NE(shown.out.find("masterVolume           64\n"), std::string::npos);
    EXPECT_NE(shown.out.find("dryAttack              on\n"), std::string::npos);
}

TEST_F(ParamsEndToEnd, BadInputIsOneLineAndWritesNothing) {
    const std::string before = stored(0);
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } refused[] = {
        {{"1", "loudness=3"}, "unknown parameter \"loudness\""},
        {{"1", "masterVolume=128"}, "bad value \"128\" for masterVolume (0 to 127)"},
        {{"1", "left=maybe"}, "bad value \"maybe\" for left (on or off)"},
        {{"1", "masterVolume"}, "masterVolume needs a value"},
        {{"1", "masterVolume=3", "levelDry=-1"}, "bad value \"-1\" for levelDry"},
        {{"9", "masterVolume=3"}, "slot 09 is empty"},
        {{"101"}, "slot \"101\""},
    };
    for (const auto& r : refused) {
        const auto result = ctl(r.arguments);
        EXPECT_EQ(result.status, 2) << r.says;
        EXPECT_NE(result.err.find(r.says), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_EQ(stored(0), before);
    EXPECT_EQ(stored(8), "") << "the empty slot stays empty";
}

}  // namespace
}  // namespace harbrix
