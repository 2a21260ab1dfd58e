// Reply framing against the simulated pedal with a USB bridge's timing faults: in the
// default framing, harbrixctl reads the slots, moves a preset, resets the pedal and flashes
// its firmware with exactly the outcome the silence rule gives (output, requests received,
// what the pedal ends up holding), and a pedal whose replies could not be trusted falls back
// with one log line saying so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using test::readText;

struct Outcome {
    std::vector<std::string> results;  // status and output of each command, in order
    std::string requests;              // every request the pedal received
    std::string state;                 // what the pedal holds at the end
    std::vector<int> fallBacks;        // fall-back log lines of each command
};

int fallBackLines(const std::string& log) {
    int n = 0;
    for (auto at = log.find("end with silence"); at != std::string::npos;
         at = log.find("end with silence", at + 1))
        ++n;
    return n;
}

class FramingEndToEnd : public ::testing::Test {
  protected:
    test::TempDir folder;

    // The same commands against a fresh pedal with `faults`, in `framing` (empty: the default).
    Outcome run(const std::string& name, const std::vector<std::string>& faults,
                const std::string& framing) {
        const std::string dir = folder.file(name);
        std::filesystem::create_directories(dir);
        std::vector<std::string> arguments{"--serial", name,           "--timeouts",
                                           "0,0,0,0",  "--state",      dir + "/state.json",
                                           "--record", dir + "/record"};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        test::Simulator sim(arguments);
        EXPECT_TRUE(sim.running()) << sim.error();
        std::ofstream(dir + "/image.bin", std::ios::binary) << std::string(700, '\x5A');
        Outcome outcome;
        const std::vector<std::vector<std::string>> commands = {
            {"presets"}, {"move", "2", "9"}, {"reset", "all"}, {"flash", dir + "/image.bin"}};
        for (const auto& words : commands) {
            std::vector<std::string> line{words[0], sim.path(), "MIV3"};
            line.insert(line.end(), words.begin() + 1, words.end());
            if (!framing.empty()) line.insert(line.end(), {"--framing", framing});
            const auto result = test::runProgram(test::binPath("harbrixctl"), line,
                                                 {{"XDG_CACHE_HOME", dir + "/cache"},
                                                  {"XDG_DATA_HOME", dir + "/data"},
                                                  {"HARBRIX_LOG", "stderr"}});
            outcome.results.push_back(std::to_string(result.status) + "\n" + result.out);
            outcome.fallBacks.push_back(fallBackLines(result.err));
        }
        outcome.requests = readText(dir + "/record");
        outcome.state = readText(dir + "/state.json");
        return outcome;
    }

    // Runs both framings under `faults`; the default one's fall-backs per command.
    std::vector<int> compare(const std::string& name, const std::vector<std::string>& faults) {
        const Outcome silence = run(name + "S", faults, "silence");
        const Outcome guarded = run(name + "G", faults, "");
        EXPECT_EQ(guarded.results, silence.results);
        EXPECT_EQ(guarded.requests, silence.requests);
        EXPECT_EQ(guarded.state, silence.state);
        EXPECT_EQ(silence.fallBacks, std::vector<int>(4, 0));
        for (const auto& result : silence.results) EXPECT_EQ(result.substr(0, 2), "0\n") << result;
        return guarded.fallBacks;
    }
};

TEST_F(FramingEndToEnd, RepliesInPiecesAndAPauseMidReplyNeedNoFallBack) {
    EXPECT_EQ(compare("CHUNK", {"--chunk-ms", "30"}), std::vector<int>(4, 0));
    EXPECT_EQ(compare("GAP", {"--gap-ms", "60"}), std::vector<int>(4, 0));
}

TEST_F(FramingEndToEnd, StrayBytesAfterAReplyFallBackOnceWithTheSameOutcome) {
    // The stray bytes follow one reply, in the guard, during the first command.
    EXPECT_EQ(compare("TRAIL", {"--trailing", "3@5"}), (std::vector<int>{1, 0, 0, 0}));
}

TEST(FramingOption, RefusesAnUnknownModeOnOneLine) {
    const auto refused =
        test::runProgram(test::binPath("harbrixctl"), {"presets", "--framing", "quick"}, {});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "harbrixctl: unknown framing \"quick\" (guarded, silence or fast)\n");
}

}  // namespace
}  // namespace harbrix
