// harbrixctl on discovered pedals: `list`, `watch`, and every command naming its pedal by
// NODE MODEL, --serial SERIAL or nothing at all.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using namespace std::chrono_literals;
using test::Simulator;

class CtlDiscovery : public ::testing::Test {
  protected:
    test::TempDir dev{"pedals"};
    test::TempDir home{"home"};

    std::unique_ptr<Simulator> start(const std::string& model, const std::string& serial) {
        auto simulator = std::make_unique<Simulator>(
            std::vector<std::string>{"--model", model, "--serial", serial, "--dir", dev.path()});
        EXPECT_TRUE(simulator->running()) << simulator->error();
        return simulator;
    }

    test::ProgramResult ctl(const std::vector<std::string>& arguments) {
        return test::runProgram(test::binPath("harbrixctl"), arguments, environment());
    }

    std::map<std::string, std::string> environment() const {
        return {{"HARBRIX_DEV_ROOT", dev.path()},
                {"HARBRIX_USB_INVENTORY",
                 test::binPath("pedalsim") + " inventory '" + dev.path() + "'"},
                {"HOME", home.path()},
                {"XDG_CACHE_HOME", home.file("cache")}};
    }
};

TEST_F(CtlDiscovery, ListShowsEveryPedalBroughtUp) {
    EXPECT_EQ(ctl({"list"}).out, "no pedals found\n");
    auto miv = start("MIV3", "LISTA");
    auto nax = start("NAX3", "LISTB");
    const auto result = ctl({"list"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "MIV3  LISTA  " + miv->path() + "  firmware 42.1\nNAX3  LISTB  " +
                              nax->path() + "  firmware 42.1\n");
}

TEST_F(CtlDiscovery, CommandsNameTheirPedalOrUseTheOnlyOne) {
    auto none = ctl({"identify"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no pedal found"), std::string::npos) << none.err;

    auto miv = start("MIV3", "ONEA");
    auto only = ctl({"identify"});
    EXPECT_EQ(only.status, 0) << only.err;
    EXPECT_NE(only.out.find("serial ONEA"), std::string::npos) << only.out;

    auto nax = start("NAX3", "ONEB");
    auto several = ctl({"identify"});
    EXPECT_EQ(several.status, 2);
    EXPECT_NE(several.err.find("2 pedals found (MIV3 ONEA, NAX3 ONEB)"), std::string::npos)
        << several.err;

    for (const auto& arguments : {std::vector<std::string>{"identify", "--serial", "ONEB"},
                                  {"--serial", "ONEB", "identify"},
                                  {"identify", nax->path(), "NAX3", "--log"}}) {
        const auto named = ctl(arguments);
        EXPECT_EQ(named.status, 0) << arguments[0] << " " << arguments[1] << ": " << named.err;
        EXPECT_NE(named.out.find("Model:      NAX3"), std::string::npos) << named.out;
    }
    EXPECT_NE(ctl({"identify", "--serial", "NOSUCH"}).err.find("no pedal with serial NOSUCH"),
              std::string::npos);
    EXPECT_EQ(ctl({"identify", "extra"}).status, 2);
}

// A pedal plugged in between a pass's node scan and its inventory read hides every pedal
// for that one pass, so a connected pedal may blink out and back; that is not what this
// test is about.
std::string withoutBlinks(const std::string& out, const std::string& pedal) {
    const std::string gone = "disconnected " + pedal + "\n";
    const std::string back = "connected " + pedal.substr(0, pedal.find('\n'));
    std::string result = out;
    for (auto at = result.find(gone); at != std::string::npos; at = result.find(gone)) {
        const auto next = result.find(back, at + gone.size());
        if (next != at + gone.size()) break;
        const auto end = result.find('\n', next);
        result.erase(at, end + 1 - at);
    }
    return result;
}

TEST_F(CtlDiscovery, WatchShowsPedalsComingAndGoing) {
    auto miv = start("MIV3", "WATCHA");
    auto watching = std::async(std::launch::async, [this] {
        return test::runProgram(
            "/usr/bin/timeout",
            {"--preserve-status", "-s", "INT", "7", test::binPath("harbrixctl"), "watch"},
            environment());
    });
    std::this_thread::sleep_for(2000ms);
    auto nax = start("NAX3", "WATCHB");
    std::this_thread::sleep_for(2500ms);
    nax->kill();
    const auto result = watching.get();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(withoutBlinks(result.out, "MIV3 WATCHA " + miv->path()),
              "connected MIV3 WATCHA " + miv->path() +
                  " firmware 42.1\n"
                  "connected NAX3 WATCHB " +
                  dev.path() +
                  "/cu.usbserial-WATCHB firmware 42.1\n"
                  "disconnected NAX3 WATCHB " +
                  dev.path() + "/cu.usbserial-WATCHB\n")
        << result.out;
}

}  // namespace
}  // namespace harbrix
