// harbrixctl move, copy, swap and delete against the simulated pedal: what each leaves in
// the pedal's slots, what it prints, and a swap whose second write fails putting the pedal
// back as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/ScriptedPedal.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using nlohmann::json;

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

class TransferCommands : public ::testing::Test {
  protected:
    // A simulated MIV3 holding Lead in slot 1, Clean in slot 2 and Crunch in slot 5.
    void start(std::vector<std::string> faults = {}) {
        const json slots = {{"0", hex(test::presetBytes("Lead", 1))},
                            {"1", hex(test::presetBytes("Clean", 2))},
                            {"4", hex(test::presetBytes("Crunch", 5))}};
        std::ofstream(files.file("state.json")) << json{{"presets", slots}}.dump();
        std::vector<std::string> arguments = {"--model", "MIV3",    "--serial",
                                              "XFER01",  "--state", files.file("state.json")};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        pedal = std::make_unique<test::Simulator>(arguments);
        // A pedal met for the first time: a known line would be taken as switched to speed.
        cache = std::make_unique<test::TempDir>();
        ASSERT_TRUE(pedal->running()) << pedal->error();
    }
    // Slot number (1-based) -> preset name, as the pedal stores them.
    std::map<int, std::string> slots() const {
        std::map<int, std::string> names;
        const json presets = json::parse(test::readText(files.file("state.json")))["presets"];
        for (const auto& [slot, bytes] : presets.items()) {
            const std::string text = bytes.get<std::string>();
            std::string name;
            for (std::size_t i = 0; i < 48; i += 2)
                name += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
            names[std::stoi(slot) + 1] = name.substr(0, name.find_last_not_of(' ') + 1);
        }
        return names;
    }
    test::ProgramResult ctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {pedal->path(), "MIV3"});
        return test::runProgram(test::binPath("harbrixctl"), arguments,
                                {{"XDG_CACHE_HOME", cache->path()}});
    }

    test::TempDir files;
    std::unique_ptr<test::TempDir> cache;
    std::unique_ptr<test::Simulator> pedal;
};

TEST_F(TransferCommands, EachOperationLeavesThePresetsWhereItSays) {
    start();
    auto result = ctl({"move", "1", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "01  Lead -> 03\n");
    EXPECT_EQ(slots(), (std::map<int, std::string>{{2, "Clean"}, {3, "Lead"}, {5, "Crunch"}}));

    result = ctl({"copy", "3", "5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "03  Lead => 05  (overwrote \"Crunch\")\n");
    result = ctl({"copy", "2", "9"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(slots(),
              (std::map<int, std::string>{{2, "Clean"}, {3, "Lead"}, {5, "Lead"}, {9, "Clean"}}));

    result = ctl({"swap", "2", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "02  Clean <-> 03  Lead\n");

    result = ctl({"delete", "9", "2", "5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "02  erased\n05  erased\n09  erased\n");
    EXPECT_EQ(slots(), (std::map<int, std::string>{{3, "Clean"}}));
}

TEST_F(TransferCommands, WhatWouldLoseAPresetIsRefusedBeforeAnythingIsSent) {
    start();
    const auto before = slots();
    const struct {
        std::vector<std::string> line;
        std::string error;
    } cases[] = {
        {{"move", "1", "2"},
         "harbrixctl: slot 02 holds \"Clean\"; swap them, or copy onto it to overwrite it\n"},
        {{"move", "3", "4"}, "harbrixctl: slot 03 is empty\n"},
        {{"swap", "1", "3"}, "harbrixctl: slot 03 is empty; move the other preset there instead\n"},
        {{"copy", "1", "1"}, "harbrixctl: copy needs two different slots\n"},
        {{"delete", "0"}, "harbrixctl: slot \"0\" is not a number from 1 to 100\n"},
    };
    for (const auto& c : cases) {
        const auto result = ctl(c.line);
        EXPECT_EQ(result.status, 2) << c.line[0];
        EXPECT_EQ(result.err, c.error);
    }
    EXPECT_EQ(slots(), before);
}

TEST_F(TransferCommands, ASwapWhoseSecondWriteFailsIsUndone) {
    start({"--error", "WRITE_PRESET#2=5"});
    auto result = ctl({"swap", "1", "2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "harbrixctl: Slot 1 could not be written; the swap was undone.\n");
    EXPECT_EQ(slots(), (std::map<int, std::string>{{1, "Lead"}, {2, "Clean"}, {5, "Crunch"}}));

    // The repair failing too: the one line names the preset the pedal no longer has.
    pedal->kill();
    start({"--error", "WRITE_PRESET#2=5", "--error", "WRITE_PRESET#3=5"});
    result = ctl({"swap", "1", "2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "harbrixctl: Slot 1 could not be written and Slot 2 could not be restored: "
              "\"Clean\" is no longer on the pedal.\n");
}

TEST_F(TransferCommands, ADeleteGoesOnPastASlotThePedalRefuses) {
    start({"--error", "ERASE_PRESET@1=5"});
    const auto result = ctl({"delete", "1", "2", "5"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "01  erased\n05  erased\n");
    EXPECT_EQ(result.err, "harbrixctl: Slot 2 could not be erased; the pedal kept its preset.\n");
    EXPECT_EQ(slots(), (std::map<int, std::string>{{2, "Clean"}}));
}

}  // namespace
}  // namespace harbrix
