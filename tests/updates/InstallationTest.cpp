// Reading hdiutil's attach output, the keep-until-copied replacement, and bundle information.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Paths.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "updates/ApplicationInfo.h"
#include "updates/DMGExtractor.h"
#include "updates/FileReplace.h"

namespace harbrix {
namespace {

using test::readText;
using test::writeText;

namespace fs = std::filesystem;

TEST(AttachOutput, TakesTheFirstAppleHFSPartitionUnderTheVolumesFolder) {
    struct Case {
        const char* what;
        std::string output;
        std::optional<MountInfo> expected;
    };
    const std::string header =
        "/dev/disk4          \tGUID_partition_scheme          \t\n"
        "/dev/disk4s1        \tEFI                            \t\n";
    const Case cases[] = {
        {"a mount point with a space", header + "/dev/disk4s2\tApple_HFS\t/Volumes/Harbrix 2.1",
         MountInfo{"disk4s2", "/Volumes/Harbrix 2.1"}},
        {"padded columns",
         header + "/dev/disk12s3        \tApple_HFS                      \t/Volumes/H",
         MountInfo{"disk12s3", "/Volumes/H"}},
        {"first match wins",
         "/dev/disk5s1\tApple_HFS\t/Volumes/A\n/dev/disk6s1\tApple_HFS\t/Volumes/B",
         MountInfo{"disk5s1", "/Volumes/A"}},
        {"another file system", header + "/dev/disk4s2\tApple_APFS\t/Volumes/Harbrix",
         std::nullopt},
        {"a whole disk", "/dev/disk4\tApple_HFS\t/Volumes/Harbrix", std::nullopt},
        {"outside the volumes folder", "/dev/disk4s2\tApple_HFS\t/mnt/Harbrix", std::nullopt},
        {"no mount point", "/dev/disk4s2\tApple_HFS\t/Volumes", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto info = DMGExtractor::parseAttachOutput(c.output, "/Volumes");
        ASSERT_EQ(info.has_value(), c.expected.has_value());
        if (!info) continue;
        EXPECT_EQ(info->disk, c.expected->disk);
        EXPECT_EQ(info->root, c.expected->root);
    }
    // A volumes folder of ours is matched literally, characters of regular expressions included.
    const auto ours = DMGExtractor::parseAttachOutput(
        "/dev/disk4s2\tApple_HFS\t/run/v+1 (x)/Harbrix.a", "/run/v+1 (x)");
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->root, "/run/v+1 (x)/Harbrix.a");
    EXPECT_FALSE(MountInfo::infoWithDisk("", "/Volumes/x"));
    EXPECT_FALSE(MountInfo::infoWithDisk("disk4s2", ""));
}

TEST(ReplaceItem, SwapsInACompleteCopyAndLeavesNothingBeside) {
    test::TempDir dir("replace");
    writeText(dir.file("target/old.txt"), "old");
    writeText(dir.file("source/MacOS/new.txt"), "new");
    fs::create_symlink("MacOS/new.txt", dir.file("source/link"));
    std::string error;
    ASSERT_TRUE(replaceItemAtPath(dir.file("target"), dir.file("source"), &error)) << error;
    EXPECT_FALSE(fs::exists(dir.file("target/old.txt")));
    EXPECT_EQ(readText(dir.file("target/MacOS/new.txt")), "new");
    EXPECT_TRUE(fs::is_symlink(dir.file("target/link")));
    EXPECT_EQ(readText(dir.file("source/MacOS/new.txt")), "new");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2);  // target and source only

    // A missing target is simply created.
    ASSERT_TRUE(replaceItemAtPath(dir.file("fresh/"), dir.file("source"), &error)) << error;
    EXPECT_EQ(readText(dir.file("fresh/MacOS/new.txt")), "new");
}

TEST(ReplaceItem, RefusesRelativePathsAndKeepsTheTargetWhenTheCopyFails) {
    test::TempDir dir("replace");
    writeText(dir.file("target/old.txt"), "old");
    writeText(dir.file("source/new.txt"), "new");
    std::string error;
    EXPECT_FALSE(replaceItemAtPath("target", dir.file("source"), &error));
    EXPECT_FALSE(replaceItemAtPath(dir.file("target"), "source", &error));
    EXPECT_FALSE(replaceItemAtPath(dir.file("target"), dir.file("missing"), &error));
    // A named pipe cannot be copied, so the copy fails half way (also for the superuser).
    ASSERT_EQ(::mkfifo(dir.file("source/pipe").c_str(), 0644), 0);
    EXPECT_FALSE(replaceItemAtPath(dir.file("target"), dir.file("source"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readText(dir.file("target/old.txt")), "old");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2);
}

// A package install lives in /usr; a build tree, a home folder or /usr/local are the user's.
TEST(ReplaceItem, LeavesWhatThePackageManagerOwnsToIt) {
    EXPECT_TRUE(packageManagerOwns("/usr/lib/harbrix/Harbrix.app"));
    EXPECT_TRUE(packageManagerOwns("/usr/lib/harbrix/../harbrix/Harbrix.app/"));
    EXPECT_FALSE(packageManagerOwns("/usr/local/lib/harbrix/Harbrix.app"));
    EXPECT_FALSE(packageManagerOwns("/usr2/Harbrix.app"));
    EXPECT_FALSE(packageManagerOwns("/opt/../home/me/Harbrix.app"));
    EXPECT_FALSE(packageManagerOwns(""));

    // Reached through a link, the folder the link leads to decides.
    test::TempDir dir("owned");
    EXPECT_FALSE(packageManagerOwns(dir.path()));
    fs::create_directory_symlink("/usr/lib", dir.file("system"));
    EXPECT_TRUE(packageManagerOwns(dir.file("system/harbrix/Harbrix.app")));
    fs::create_directory_symlink(dir.path(), dir.file("own"));
    EXPECT_FALSE(packageManagerOwns(dir.file("own/Harbrix.app")));
}

TEST(ApplicationInfo, ReadsTheStringValuesOfAnInfoPlist) {
    test::TempDir dir("info");
    writeText(dir.file("Info.plist"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleName</key><string>Harbrix</string>"
              "<key>CFBundleShortVersionString</key><string>2.1</string>"
              "<key>NSHighResolutionCapable</key><true/></dict></plist>");
    const auto info = ApplicationInfo::readInfo(dir.file("Info.plist"));
    EXPECT_EQ(info.at("CFBundleName"), "Harbrix");
    EXPECT_EQ(Version::versionWithString(info.at("CFBundleShortVersionString")),
              Version::versionWithMajor(2, 1, 0));
    EXPECT_EQ(info.count("NSHighResolutionCapable"), 0u);
    EXPECT_TRUE(ApplicationInfo::readInfo(dir.file("missing.plist")).empty());
    writeText(dir.file("broken.plist"), "<plist><dict><key>");
    EXPECT_TRUE(ApplicationInfo::readInfo(dir.file("broken.plist")).empty());
}

TEST(ApplicationInfo, AnswersTheStagingQuestionOncePerProcess) {
    test::TempDir home("home");
    const std::string savedHome = homeDirectory();
    ::setenv("HOME", home.path().c_str(), 1);
    const bool first = ApplicationInfo::staging();
    writeText(home.file("Desktop/Harbrix.staging"), "");
    EXPECT_EQ(ApplicationInfo::staging(), first);
    fs::remove(home.file("Desktop/Harbrix.staging"));
    EXPECT_EQ(ApplicationInfo::staging(), first);
    ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace harbrix
