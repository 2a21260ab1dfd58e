// harbrixctl settings, reset, effect and flash against the simulated pedal: what the user
// sees, what the pedal ends up holding (its state file), and the one-line refusals of bad
// input with exit status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "link/FirmwareImage.h"
#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using nlohmann::json;
using test::readText;

class PedalControlTest : public ::testing::Test {
  protected:
    test::TempDir folder;
    std::unique_ptr<test::Simulator> sim;

    void start(const std::string& serial, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{"--serial", serial,    "--timeouts",
                                           "0,0,0,0",  "--state", state()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        sim = std::make_unique<test::Simulator>(arguments);
        ASSERT_TRUE(sim->running()) << sim->error();
    }
    std::string state() const { return folder.file("pedal.json"); }

    test::ProgramResult ctl(const std::string& command, std::vector<std::string> arguments,
                            const std::string& model = "MIV3") {
        std::vector<std::string> line{command, sim->path(), model};
        line.insert(line.end(), arguments.begin(), arguments.end());
        return test::runProgram(test::binPath("harbrixctl"), line,
                                {{"XDG_CACHE_HOME", folder.file("cache")}});
    }

    json saved() const {
        std::ifstream in(state());
        std::stringstream text;
        text << in.rdbuf();
        return json::parse(text.str(), nullptr, false);
    }
};

TEST_F(PedalControlTest, SettingsShowAndWriteTheSevenWords) {
    start("CTL0001");
    const auto shown = ctl("settings", {});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out,
              "midi-channel             2\n"
              "midi-thru                off\n"
              "midi-keyboard            off\n"
              "pitch-wheel-sensitivity  2\n"
              "contrast                 8\n"
              "homeview                 0 (standard)\n"
              "name-crawl               on\n");

    const auto written = ctl("settings", {"midi-channel=omni", "midi-thru=on", "contrast=10",
                                          "homeview=data-2", "name-crawl=off", "midi-keyboard=on"});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.out.find("midi-channel             omni\n"), std::string::npos)
        << written.out;
    EXPECT_NE(written.out.find("homeview                 3 (data-2)\n"), std::string::npos);
    EXPECT_EQ(saved()["settings"], (json{{"midiChannel", 16},
                                         {"midiThru", 1},
                                         {"midiKeyboard", 1},
                                         {"midiPitchWheelSensitivity", 2},
                                         {"displayContrast", 10},
                                         {"displayHomeview", 3},
                                         {"displayNameCrawl", 0}}));

    const struct {
        std::string argument;
        std::string message;
    } bad[] = {
        {"volume=3", "unknown setting \"volume\""},
        {"midi-channel=17", "bad value \"17\" for midi-channel (1 to 16 or omni)"},
        {"contrast=11", "bad value \"11\" for contrast"},
        {"midi-thru=yes", "bad value \"yes\" for midi-thru (on or off)"},
        {"contrast", "contrast needs a value"},
        {"pitch-wheel-sensitivity=3", "unknown setting \"pitch-wheel-sensitivity\""},
    };
    for (const auto& b : bad) {
        const auto refused = ctl("settings", {"contrast=1", b.argument});
        EXPECT_EQ(refused.status, 2) << b.argument;
        EXPECT_EQ(refused.err.rfind("harbrixctl: ", 0), 0u) << refused.err;
        EXPECT_NE(refused.err.find(b.message), std::string::npos) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    }
    EXPECT_EQ(saved()["settings"]["displayContrast"], 10);  // nothing of a refused line was written
}

TEST_F(PedalControlTest, ResetComposesTheMaskAndEffectSwitches) {
    start("CTL0002");
    ASSERT_EQ(ctl("settings", {"midi-channel=5", "contrast=2"}).status, 0);
    const auto reset = ctl("reset", {"midi,display"});
    ASSERT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(reset.out, "reset midi,display (mask 12)\n");
    EXPECT_EQ(saved()["settings"]["midiChannel"], 1);
    EXPECT_EQ(saved()["settings"]["displayContrast"], 8);
    EXPECT_EQ(saved()["presets"].size(), 5u);

    const auto all = ctl("reset", {"all"});
    EXPECT_EQ(all.out, "reset all (mask 16)\n");
    EXPECT_EQ(saved()["presets"].size(), 0u);
    for (const std::string list : {"presets,", "bogus", "midi,,display", ""}) {
        const auto refused = ctl("reset", {list});
        EXPECT_EQ(refused.status, 2) << list;
        EXPECT_NE(refused.err.find("unknown reset part"), std::string::npos) << refused.err;
    }

    EXPECT_EQ(ctl("effect", {"off"}).out, "effect off\n");
    EXPECT_EQ(saved()["effectEnabled"], false);
    EXPECT_EQ(ctl("effect", {"on"}).status, 0);
    EXPECT_EQ(saved()["effectEnabled"], true);
    EXPECT_EQ(ctl("effect", {"dim"}).status, 2);
}

TEST_F(PedalControlTest, NaxHasNoSettingsToShowOrReset) {
    start("CTL0003", {"--model", "NAX3"});
    for (const auto& [command, argument] : {std::pair{"settings", ""}, std::pair{"reset", "all"}}) {
        const auto refused = ctl(
            command, argument[0] ? std::vector<std::string>{argument} : std::vector<std::string>{},
            "NAX3");
        EXPECT_EQ(refused.status, 2) << command;
        EXPECT_NE(refused.err.find("the NAX3 has no"), std::string::npos) << refused.err;
    }
}

TEST_F(PedalControlTest, FlashReportsPercentagesAndExitsZeroOnlyOnSuccess) {
    start("CTL0004", {"--corrupt", "READ_FLASH=4", "--record", folder.file("record")});
    const std::string image = folder.file("image.bin");
    Bytes bytes(600);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 600);
    std::ofstream(folder.file("empty.bin")).flush();
    std::ofstream(folder.file("short.ldr")) << [] {
        std::string text;
        for (int i = 0; i < 40; ++i) text += "0x00\r\n";
        return text;
    }();
    std::ofstream(folder.file("image.ihx")) << ":10010000214601360121470136007EFE09D2190140\r\n"
                                               ":00000001FF\r\n";
    std::filesystem::resize_file(folder.file("empty.bin"), kPedalFlashSize + 1);
    std::filesystem::copy_file(folder.file("empty.bin"), folder.file("huge.bin"));
    std::filesystem::resize_file(folder.file("empty.bin"), 0);

    const struct {
        std::string file;
        std::string message;
    } bad[] = {
        {folder.file("missing.bin"), "cannot read the image file"},
        {folder.file("empty.bin"), "is empty"},
        {folder.file("short.ldr"), "starts as LDR text but holds no firmware image"},
        {folder.file("image.ihx"), "Intel HEX"},
        {folder.file("huge.bin"), "larger than the pedal's flash"},
    };
    for (const auto& b : bad) {
        const auto refused = ctl("flash", {b.file});
        EXPECT_EQ(refused.status, 2) << b.file;
        EXPECT_NE(refused.err.find(b.message), std::string::npos) << refused.err;
    }
    // Refused before the pedal was even brought up.
    EXPECT_EQ(readText(folder.file("record")), "");

    // Three pages: the fourth flash read-back is damaged, so the first update succeeds and
    // the second fails on its first page.
    const auto flashed = ctl("flash", {image});
    ASSERT_EQ(flashed.status, 0) << flashed.err;
    EXPECT_EQ(flashed.out,
              "0%\n42%\n85%\n100%\nFirmware written; the pedal is restarting.\n"
              "The pedal is back, running firmware 42.1.\n");
    const auto chip = bytesOfFile(state() + ".flash");
    ASSERT_TRUE(chip);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), chip->begin()));

    const auto failed = ctl("flash", {image});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "0%\n");
    EXPECT_EQ(failed.err,
              "harbrixctl: The firmware update failed; the pedal has been told to recover.\n");
    // The pedal restarted at its boot speed; the next session switches it again.
    EXPECT_EQ(ctl("settings", {}).status, 0);
}

// The pedal restarts at its boot speed and is brought up again on the same line, at its
// fast speed, before the command ends.
TEST_F(PedalControlTest, RebootWaitsForThePedalToComeBack) {
    const std::string record = folder.file("record");
    start("CTL0006", {"--record", record});
    const auto rebooted = ctl("reboot", {});
    ASSERT_EQ(rebooted.status, 0) << rebooted.err;
    EXPECT_EQ(rebooted.out, "The pedal is back, running firmware 42.1.\n");
    const std::string sent = readText(record);
    const auto rebootAt = sent.find("REBOOTC");
    ASSERT_NE(rebootAt, std::string::npos) << sent;
    const std::string after = sent.substr(rebootAt);
    const auto speedAt = after.find("SET_BAUD 0 2000000");
    EXPECT_NE(speedAt, std::string::npos) << after;
    EXPECT_NE(after.find("PRESET_INFO", speedAt), std::string::npos) << after;
}

// Ctrl-C in the middle of a flash: the page under way finishes, then the pedal is told to
// recover and reboot, and the command says it was stopped.
TEST_F(PedalControlTest, InterruptingAFlashStopsItInOrder) {
    const std::string record = folder.file("record");
    start("CTL0005", {"--record", record});
    const std::string image = folder.file("image.bin");
    std::ofstream(image, std::ios::binary) << std::string(40 * 256, '\x3C');
    // The shell waits for the first page's commit, then interrupts the command.
    const std::string script =
        "\"$0\" flash \"$1\" MIV3 \"$2\" & pid=$!\n"
        "until grep -q '^WRITE_FLASH' \"$3\" 2>/dev/null; do sleep 0.02; done\n"
        "kill -INT $pid\n"
        "wait $pid\n";
    const auto result = test::runProgram(
        "/bin/sh", {"-c", script, test::binPath("harbrixctl"), sim->path(), image, record},
        {{"XDG_CACHE_HOME", folder.file("cache")}});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("The firmware update was stopped"), std::string::npos) << result.err;

    // Up to the reboot; what follows brings the pedal back.
    std::vector<std::string> lines;
    std::istringstream in(readText(record));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (line == "REBOOTC 0 0") break;
    }
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 2], "RECOVERC 0 0");
    EXPECT_EQ(lines.back(), "REBOOTC 0 0");
    // The last page before the recovery was read back whole, and most pages were never sent.
    EXPECT_EQ(lines[lines.size() - 3].rfind("READ_FLASH 256 ", 0), 0u) << lines[lines.size() - 3];
    EXPECT_LT(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("WRITE_PAGE", 0) == 0; }),
              40);
}

}  // namespace
}  // namespace harbrix
