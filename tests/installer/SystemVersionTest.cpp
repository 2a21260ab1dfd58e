// The operating-system questions, the launch token and the driver check, with the system's
// version and the driver finder stood in for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "installer/DriverCheck.h"
#include "installer/LaunchToken.h"
#include "installer/SystemVersion.h"

namespace harbrix {
namespace {

TEST(SystemVersion, AnswersForTheSystemItIs) {
    struct Case {
        const char* version;
        bool preCatalina, catalina, atLeastCatalina, preBigSur, kextFriendly;
    };
    for (const Case& c : {
             Case{"macOS 10.14.6", true, false, false, true, true},
             Case{"macOS 10.15", false, true, true, true, true},
             Case{"macOS 11.0", false, false, true, false, false},
             Case{"macOS 14.2.1", false, false, true, false, false},
             Case{"macOS 0.0", false, false, true, true, true},  // a version that could not be read
             Case{"Linux 6.1.0-13-amd64", false, false, true, false, true},
         }) {
        const auto version = SystemVersion::parse(c.version);
        ASSERT_TRUE(version) << c.version;
        EXPECT_EQ(ProcessInfo::isPreCatalina(*version), c.preCatalina) << c.version;
        EXPECT_EQ(ProcessInfo::isCatalina(*version), c.catalina) << c.version;
        EXPECT_EQ(ProcessInfo::isAtLeastCatalina(*version), c.atLeastCatalina) << c.version;
        EXPECT_EQ(ProcessInfo::isPreBigSur(*version), c.preBigSur) << c.version;
        EXPECT_EQ(ProcessInfo::isKextFriendlyEnvironment(*version), c.kextFriendly) << c.version;
    }
    for (const char* text : {"", "macOS", "macOS x.1", "Windows 10", "10.15"})
        EXPECT_FALSE(SystemVersion::parse(text)) << text;

#ifdef __linux__
    unsetenv("HARBRIX_SYSTEM_VERSION");
    EXPECT_EQ(ProcessInfo::systemVersion().family, SystemVersion::Family::linux);
#endif
    setenv("HARBRIX_SYSTEM_VERSION", "macOS 10.15", 1);
    EXPECT_TRUE(ProcessInfo::isCatalina());
    unsetenv("HARBRIX_SYSTEM_VERSION");
}

TEST(LaunchToken, DependsOnTheSecondOnly) {
    const std::uint64_t t = 700000000;
    EXPECT_EQ(launchToken(t), launchToken(t));
    EXPECT_NE(launchToken(t), launchToken(t + 1));
    EXPECT_EQ(launchToken(t).size(), 32u);
    EXPECT_EQ(launchToken(t).find_first_not_of("0123456789abcdef"), std::string::npos);
    const auto now = static_cast<std::int64_t>(std::time(nullptr)) - 978307200;
    EXPECT_LE(std::llabs(static_cast<std::int64_t>(referenceDateSeconds()) - now), 1);
}

TEST(DriverCheck, AsksTheFinderOnlyWhereADriverIsNeeded) {
    struct Case {
        const char* system;
        std::string finder;
        bool needed;
    };
    const std::string listed = std::string("echo '") + driverLocation() + "'";
    for (const Case& c : {
             Case{"macOS 10.14", "true", true},  // the finder printed nothing
             Case{"macOS 10.14", "exit 3", true},
             Case{"macOS 10.14", listed, false},
             Case{"macOS 11.0", "true", false},
             Case{"Linux 6.1", "echo /etc/udev/rules.d/other.rules", true},
             Case{"Linux 6.1", listed, false},
         }) {
        setenv("HARBRIX_SYSTEM_VERSION", c.system, 1);
        setenv("HARBRIX_DRIVER_FINDER", c.finder.c_str(), 1);
        EXPECT_EQ(needsKext(), c.needed) << c.system << " / " << c.finder;
    }
    unsetenv("HARBRIX_SYSTEM_VERSION");
    unsetenv("HARBRIX_DRIVER_FINDER");
}

}  // namespace
}  // namespace harbrix
