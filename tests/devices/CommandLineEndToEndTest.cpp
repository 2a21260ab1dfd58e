// What harbrixctl and pedalsim say about themselves: --help on standard output with status
// 0, --version, and mistakes answered with status 2 and the usage on standard error. The
// usage lists every command harbrixctl knows, which is the list its shell completion and
// manual page are made from.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
    for (const std::string program : {"harbrixctl", "pedalsim"}) {
        for (const std::string help : {"--help", "-h"}) {
            const auto result = test::runProgram(test::binPath(program), {help});
            EXPECT_EQ(result.status, 0) << program << " " << help;
            EXPECT_EQ(result.out.rfind("usage: " + program, 0), 0u) << result.out;
            EXPECT_EQ(result.err, "") << program;
        }
        const auto version = test::runProgram(test::binPath(program), {"--version"});
        EXPECT_EQ(version.status, 0) << program;
        EXPECT_TRUE(
            std::regex_match(version.out, std::regex(program + " [0-9]+\\.[0-9]+\\.[0-9]+\n")))
            << version.out;
    }
    // "help" as a command, and --help after a command, print the same usage.
    const auto usage = test::runProgram(test::binPath("harbrixctl"), {"--help"}).out;
    EXPECT_EQ(test::runProgram(test::binPath("harbrixctl"), {"help"}).out, usage);
    EXPECT_EQ(test::runProgram(test::binPath("harbrixctl"), {"list", "--help"}).out, usage);
}

TEST(CommandLine, MistakesExitWithTwoAndTheUsageOnStandardError) {
    test::TempDir dev("dev");
    // No pedal can be found: a command that got past its options fails for that, not with 2.
    const std::map<std::string, std::string> nothing = {{"HARBRIX_DEV_ROOT", dev.path()},
                                                        {"HARBRIX_USB_INVENTORY", "true"}};
    struct Case {
        std::string program;
        std::vector<std::string> arguments;
        std::string says;
    };
    for (const Case& c : {
             Case{"harbrixctl", {}, "no command given"},
             Case{"harbrixctl", {"--bogus"}, "unknown option --bogus"},
             Case{"harbrixctl", {"frobnicate"}, "unknown command \"frobnicate\""},
             Case{"harbrixctl", {"list", "--lgo"}, "unknown option --lgo for list"},
             Case{"harbrixctl", {"presets", "--load"}, "unknown option --load for presets"},
             Case{"harbrixctl", {"presets", "--serial"}, "option --serial needs a value"},
             Case{"pedalsim", {"--bogus", "x"}, "unknown option --bogus"},
             Case{"pedalsim", {"--model", "MIV3", "--bogus"}, "unknown option --bogus"},
             Case{"pedalsim", {"--model"}, "--model needs a value"},
             Case{"pedalsim", {}, "--model, --serial and --dir are required"},
         }) {
        const auto result = test::runProgram(test::binPath(c.program), c.arguments, nothing);
        EXPECT_EQ(result.status, 2) << c.says;
        EXPECT_EQ(result.out, "") << c.says;
        EXPECT_NE(result.err.find("usage: " + c.program), std::string::npos) << c.says;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    // An option a command names in its usage is its own.
    const auto select =
        test::runProgram(test::binPath("harbrixctl"), {"select", "3", "--load"}, nothing);
    EXPECT_EQ(select.err.find("unknown option"), std::string::npos) << select.err;
    EXPECT_EQ(select.err.find("usage:"), std::string::npos) << select.err;
}

TEST(CommandLine, TheUsageListsEveryCommandWithinItsWidth) {
    const auto listed = test::runProgram(test::binPath("harbrixctl"), {"--commands"});
    ASSERT_EQ(listed.status, 0);
    const auto usage = test::runProgram(test::binPath("harbrixctl"), {"--help"}).out;
    std::size_t commands = 0;
    for (const std::string& line : lines(listed.out)) {
        const auto name = line.substr(0, line.find('\t'));
        ASSERT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
        EXPECT_NE(usage.find("\n  " + name + " "), std::string::npos) << name;
        ++commands;
    }
    EXPECT_GE(commands, 10u);
    for (const std::string& line : lines(usage)) EXPECT_LE(line.size(), 96u) << line;
}

TEST(CommandLine, DriverTellsWhetherTheRuleIsInstalled) {
    test::TempDir root("root");
    const std::map<std::string, std::string> linux = {{"HARBRIX_SYSTEM_VERSION", "Linux 6.1"},
                                                      {"HARBRIX_UDEV_ROOT", root.path()}};
    auto result = test::runProgram(test::binPath("harbrixctl"), {"driver"}, linux);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "not installed\n");

    const std::string rule = root.path() + "/usr/lib/udev/rules.d/60-harbrix-qor.rules";
    test::writeText(rule, "SUBSYSTEM==\"tty\"\n");
    result = test::runProgram(test::binPath("harbrixctl"), {"driver"}, linux);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "installed: " + rule + "\n");
    // Installing what is there already runs nothing.
    result = test::runProgram(test::binPath("harbrixctl"), {"driver", "install"}, linux);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "installed: " + rule + "\n");

    result = test::runProgram(test::binPath("harbrixctl"), {"driver"},
                              {{"HARBRIX_SYSTEM_VERSION", "macOS 11.0"}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "no driver needed on this system\n");
    EXPECT_EQ(test::runProgram(test::binPath("harbrixctl"), {"driver", "remove"}, linux).status, 2);
}

}  // namespace
}  // namespace harbrix
