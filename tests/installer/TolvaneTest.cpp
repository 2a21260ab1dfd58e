// Tolvane as Harbrix starts it: refused without exactly two arguments, with a stale token or
// where no driver is needed; with a fresh token it runs its privileged step (stood in for by
// a script that records its arguments) exactly when the driver is missing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "installer/LaunchToken.h"
#include "installer/TolvaneLauncher.h"
#include "support/Program.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

class Tolvane : public ::testing::Test {
  protected:
    test::TempDir dir{"tolvane"};
    std::string marker = dir.file("elevated");
    std::string elevator = dir.file("elevator.sh");
    std::string driver = "true";  // the finder prints nothing: the driver is missing

    void SetUp() override {
        std::ofstream(elevator) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << marker << "'\n";
        ::chmod(elevator.c_str(), 0755);
    }

    std::map<std::string, std::string> environment() const {
        return {{"TOLVANE_ELEVATOR", elevator},
                {"HARBRIX_DRIVER_FINDER", driver},
                {"HARBRIX_SYSTEM_VERSION", "Linux 6.1"}};
    }

    // Whole seconds since the reference date, taken early in a second so that the program
    // started next still runs within it or the one after.
    static std::uint64_t now() {
        using namespace std::chrono;
        const auto fraction = system_clock::now().time_since_epoch() % seconds(1);
        if (fraction > milliseconds(500)) std::this_thread::sleep_for(seconds(1) - fraction);
        return referenceDateSeconds();
    }

    int run(const std::vector<std::string>& arguments,
            std::map<std::string, std::string> extra = {}) {
        auto env = environment();
        for (const auto& [name, value] : extra) env[name] = value;
        return test::runProgram(*tolvanePath(), arguments, env).status;
    }

    std::string elevated() const {
        std::ifstream file(marker);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(Tolvane, RefusesWithoutRunningAnything) {
    ASSERT_TRUE(tolvanePath());
    const std::uint64_t t = now();
    const std::string fresh = launchToken(t);
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
    };
    for (const Case& c : {
             Case{"no argument", {}, {}},
             Case{"one argument", {fresh}, {}},
             Case{"three arguments", {fresh, launchToken(t + 1), fresh}, {}},
             Case{"tokens five seconds old", {launchToken(t - 5), launchToken(t - 4)}, {}},
             Case{"an empty first argument", {"", fresh}, {}},
             Case{"not a token", {"brisk", "oaf"}, {}},
             Case{"macOS 11",
                  {fresh, launchToken(t + 1)},
                  {{"HARBRIX_SYSTEM_VERSION", "macOS 11.0"}}},
         }) {
        EXPECT_EQ(run(c.arguments, c.environment), 1) << c.what;
        EXPECT_EQ(elevated(), "") << c.what;
    }
}

TEST_F(Tolvane, RunsTheScriptOnlyWhenTheDriverIsMissing) {
    const std::uint64_t t = now();
    EXPECT_EQ(run({launchToken(t), launchToken(t + 1)}), 0);
    const std::string script = *tolvanePath();
    const std::string expected =
        script.substr(0, script.rfind("/MacOS/")) + "/Resources/Scripts/Tolvane.sh\nbrisk oaf\n";
    EXPECT_EQ(elevated(), expected);

    ::unlink(marker.c_str());
    driver = "echo /usr/lib/udev/rules.d/60-harbrix-qor.rules";
    const std::uint64_t later = now();
    EXPECT_EQ(run({launchToken(later - 1), launchToken(later)}), 0)
        << "the caller's second may be the one before";
    EXPECT_EQ(elevated(), "");
}

// The privileged step's result is Tolvane's exit status: a refused password (pkexec's 126
// and 127) and a failing script are not reported as an installation.
TEST_F(Tolvane, ItsExitStatusCarriesThePrivilegedStepsResult) {
    const struct {
        int elevator;
        TolvaneStatus status;
    } cases[] = {
        {0, TolvaneStatus::installed},
        {126, TolvaneStatus::notAuthorised},
        {127, TolvaneStatus::notAuthorised},
        {1, TolvaneStatus::failed},
    };
    for (const auto& c : cases) {
        std::ofstream(elevator) << "#!/bin/sh\nexit " << c.elevator << "\n";
        const std::uint64_t t = now();
        EXPECT_EQ(run({launchToken(t), launchToken(t + 1)}), static_cast<int>(c.status))
            << "elevator exits " << c.elevator;
    }
    for (const auto& [name, value] : environment()) setenv(name.c_str(), value.c_str(), 1);
    now();
    EXPECT_EQ(runTolvane(), TolvaneStatus::failed);
    EXPECT_FALSE(launchTolvaneer());
    for (const auto& [name, value] : environment()) unsetenv(name.c_str());
}

TEST_F(Tolvane, HarbrixStartsItWithFreshTokens) {
    for (const auto& [name, value] : environment()) setenv(name.c_str(), value.c_str(), 1);
    now();
    EXPECT_TRUE(launchTolvaneer());
    EXPECT_NE(elevated().find("brisk oaf"), std::string::npos);
    setenv("HARBRIX_SYSTEM_VERSION", "macOS 11.0", 1);
    EXPECT_FALSE(launchTolvaneer());
    for (const auto& [name, value] : environment()) unsetenv(name.c_str());
}

TEST_F(Tolvane, TheScriptWantsItsArgument) {
    const std::string script = std::string(HARBRIX_SOURCE_DIR) + "/apps/Tolvane/Scripts/Tolvane.sh";
    EXPECT_EQ(test::runProgram("/bin/sh", {"-n", script}).status, 0);
    EXPECT_EQ(test::runProgram("/bin/sh", {script, "brisk"}).status, 1);
    EXPECT_EQ(test::runProgram("/bin/sh", {script}).status, 1);
}

}  // namespace
}  // namespace harbrix
