// The driver check on Linux against a system laid out in a temporary root: the rule a
// package installs in /usr/lib, the one Tolvane installs in /etc, and the administrator's
// ways of switching the rule off, which udev honours and so must the check.
#include <gtest/gtest.h>

#include <filesystem>

#include "installer/DriverCheck.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

namespace fs = std::filesystem;

#ifdef __linux__

class UdevRule : public ::testing::Test {
  protected:
    test::TempDir root{"udev-root"};

    void SetUp() override {
        ::setenv("HARBRIX_SYSTEM_VERSION", "Linux 6.1", 1);
        ::setenv("HARBRIX_UDEV_ROOT", root.path().c_str(), 1);
        ::unsetenv("HARBRIX_DRIVER_FINDER");
    }
    void TearDown() override {
        ::unsetenv("HARBRIX_SYSTEM_VERSION");
        ::unsetenv("HARBRIX_UDEV_ROOT");
    }

    // Where `folder` keeps our rule, below the temporary root.
    std::string rule(const std::string& folder) const {
        return root.path() + folder + "/" + kUdevRuleName;
    }
    std::string install(const std::string& folder,
                        const std::string& text = "SUBSYSTEM==\"tty\"\n") {
        test::writeText(rule(folder), text);
        return rule(folder);
    }
};

TEST_F(UdevRule, APackagedOrInstalledRuleIsFoundAndNothingIsOffered) {
    EXPECT_TRUE(needsKext()) << "no rule anywhere";
    EXPECT_EQ(driverFinderOutput(), "");

    const std::string packaged = install("/usr/lib/udev/rules.d");
    EXPECT_FALSE(needsKext());
    EXPECT_EQ(driverFinderOutput(), packaged);

    // Tolvane's copy in /etc is the one udev reads.
    const std::string installed = install("/etc/udev/rules.d");
    EXPECT_FALSE(needsKext());
    EXPECT_EQ(driverFinderOutput(), installed);

    // A rule of another name does not count.
    fs::remove(packaged);
    fs::remove(installed);
    test::writeText(root.path() + "/usr/lib/udev/rules.d/60-other.rules", "\n");
    EXPECT_TRUE(needsKext());
}

TEST_F(UdevRule, ARuleMaskedInEtcCountsAsMissing) {
    install("/usr/lib/udev/rules.d");
    fs::create_directories(root.path() + "/etc/udev/rules.d");
    fs::create_symlink("/dev/null", rule("/etc/udev/rules.d"));
    EXPECT_TRUE(needsKext()) << "masked with a link to /dev/null";

    fs::remove(rule("/etc/udev/rules.d"));
    install("/etc/udev/rules.d", "");
    EXPECT_TRUE(needsKext()) << "masked with an empty file";

    fs::remove(rule("/etc/udev/rules.d"));
    fs::create_symlink(rule("/usr/lib/udev/rules.d"), rule("/etc/udev/rules.d"));
    EXPECT_FALSE(needsKext()) << "a link to a real rule is that rule";

    // The test hook for the finder still takes precedence over the folders.
    ::setenv("HARBRIX_DRIVER_FINDER", "true", 1);
    EXPECT_TRUE(needsKext());
    ::unsetenv("HARBRIX_DRIVER_FINDER");
}

#endif

}  // namespace
}  // namespace harbrix
