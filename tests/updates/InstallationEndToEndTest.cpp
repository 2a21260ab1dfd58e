// Software installation on Linux end to end: compressed tar images of Harbrix.app attached
// by the bundle's hdiutil stand-in and copied over a copy of the built bundle.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "link/Checksum.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/MainLoop.h"
#include "support/HttpServer.h"
#include "support/Program.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "updates/DMGExtractor.h"
#include "updates/Stinger.h"
#include "updates/Torque.h"

namespace harbrix {
namespace {

using test::readText;
using test::writeText;

namespace fs = std::filesystem;

std::size_t entriesIn(const std::string& folder) {
    std::error_code error;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        ++count;
    return count;
}

class InstallationTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef __APPLE__
        GTEST_SKIP() << "macOS mounts real disk images";
#endif
        const auto built = Bundle::bundlePath();
        ASSERT_TRUE(built);
        ::setenv("HARBRIX_VOLUMES", volumes().c_str(), 1);
        ::unsetenv("HARBRIX_HDIUTIL");
        fs::create_directories(dir.file("Applications"));
        fs::copy(*built, app(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        originalPlist = readText(app() + "/Contents/Info.plist");
    }
    void TearDown() override {
        ::unsetenv("HARBRIX_VOLUMES");
        // A test that made the bundle read-only leaves it removable.
        std::error_code ignored;
        for (const std::string& folder : {app(), app() + "/Contents"})
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    }

    std::string volumes() const {
        return dir.file("volumes");
    }
    std::string app() const {
        return dir.file("Applications/Harbrix.app");
    }

  public:
    std::string appPath() const {
        return app();
    }
    std::string cacheFolder() const {
        return dir.file("cache");
    }

  protected:
    // A release image holding Harbrix.app/Contents with a marked executable; `pipe` adds an
    // item that cannot be copied, `relaunch` the relaunch script.
    std::string makeImage(const std::string& name, bool pipe = false, bool relaunch = false) {
        const std::string root = dir.file("image-" + name);
        writeText(root + "/Harbrix.app/Contents/MacOS/Harbrix", "new executable " + name);
        writeText(root + "/Harbrix.app/Contents/Info.plist", "<plist>" + name + "</plist>");
        if (relaunch)
            writeText(root + "/Harbrix.app/Contents/Resources/Scripts/bounce.sh", "#!/bin/sh\n");
        if (pipe) {
            const auto made =
                test::runProgram("/usr/bin/mkfifo", {root + "/Harbrix.app/Contents/pipe"});
            EXPECT_EQ(made.status, 0);
        }
        const std::string image = dir.file(name + ".tar.gz");
        const auto packed = test::runProgram(
            "/bin/sh", {"-c", "tar -czf \"$0\" -C \"$1\" Harbrix.app", image, root});
        EXPECT_EQ(packed.status, 0) << packed.err;
        return image;
    }

    test::TempDir dir{"install"};
    std::string originalPlist;
};

TEST_F(InstallationTest, TheStandInAttachesAndDetachesItsImages) {
    const auto mounted = DMGExtractor::mount(makeImage("2.1.0"));
    ASSERT_TRUE(mounted);
    EXPECT_EQ(mounted->disk.rfind("disk", 0), 0u);
    EXPECT_EQ(mounted->root.rfind(volumes() + "/", 0), 0u);
    EXPECT_EQ(readText(mounted->root + "/Harbrix.app/Contents/MacOS/Harbrix"),
              "new executable 2.1.0");

    const auto second = DMGExtractor::mount(makeImage("2.2.0"));
    ASSERT_TRUE(second);
    EXPECT_NE(second->disk, mounted->disk);
    EXPECT_NE(second->root, mounted->root);

    DMGExtractor::eject(mounted->disk);
    DMGExtractor::eject(second->disk);
    EXPECT_FALSE(fs::exists(mounted->root));
    EXPECT_EQ(entriesIn(volumes()), 0u);

    writeText(dir.file("garbage.tar.gz"), "not an image");
    EXPECT_FALSE(DMGExtractor::mount(dir.file("garbage.tar.gz")));
    EXPECT_FALSE(DMGExtractor::mount(dir.file("missing.tar.gz")));
    EXPECT_EQ(entriesIn(volumes()), 0u);
}

TEST_F(InstallationTest, ExtractionReplacesTheBundlesContentsAndDetaches) {
    const auto placed = DMGExtractor::extract("Harbrix.app/Contents", makeImage("2.1.0"), app());
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, app() + "/Contents");
    EXPECT_EQ(readText(app() + "/Contents/MacOS/Harbrix"), "new executable 2.1.0");
    EXPECT_FALSE(fs::exists(app() + "/Contents/Resources"));  // the old Contents went whole
    EXPECT_EQ(entriesIn(app()), 1u);                          // nothing left beside it
    EXPECT_EQ(entriesIn(volumes()), 0u);
}

// Installing into the running bundle replaces the bundle's own disk-image tool with the
// release's Contents (which has none here): the image is still detached, by the tool that
// attached it, and nothing it unpacked stays behind.
TEST_F(InstallationTest, DetachesWithTheToolThatAttachedEvenWhenTheInstallTookItAway) {
    ::setenv("HARBRIX_RESOURCES", (app() + "/Contents/Resources").c_str(), 1);
    ASSERT_EQ(DMGExtractor::tool(), app() + "/Contents/Resources/Scripts/hdiutil");
    const auto placed = DMGExtractor::extract("Harbrix.app/Contents", makeImage("2.1.0"), app());
    ::unsetenv("HARBRIX_RESOURCES");
    ASSERT_TRUE(placed);
    EXPECT_FALSE(fs::exists(app() + "/Contents/Resources/Scripts/hdiutil"));
    EXPECT_EQ(entriesIn(volumes()), 0u);
}

TEST_F(InstallationTest, AFailedCopyLeavesTheOldContentsInPlace) {
    std::vector<std::string> lines;
    LogCapture capture([&](const std::string& line) { lines.push_back(line); });
    EXPECT_FALSE(DMGExtractor::extract("Harbrix.app/Contents", makeImage("2.1.0", true), app()));
    EXPECT_EQ(readText(app() + "/Contents/Info.plist"), originalPlist);
    EXPECT_TRUE(fs::exists(app() + "/Contents/Resources/Scripts/bounce.sh"));
    EXPECT_EQ(entriesIn(app()), 1u);
    EXPECT_EQ(entriesIn(volumes()), 0u);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("ERROR : ", 0) == 0;
    }));
}

TEST_F(InstallationTest, ExtractionWithoutADestinationUsesAFreshTemporaryFolderEachTime) {
    const std::string image = makeImage("2.1.0");
    const auto first = DMGExtractor::extract("Harbrix.app/Contents", image);
    const auto second = DMGExtractor::extract("Harbrix.app/Contents", image);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(readText(*first + "/MacOS/Harbrix"), "new executable 2.1.0");
    EXPECT_EQ(readText(*second + "/MacOS/Harbrix"), "new executable 2.1.0");
    fs::remove_all(fs::path(*first).parent_path());
    fs::remove_all(fs::path(*second).parent_path());
}

// Runs the main rail here until `done` or five seconds have passed.
void drainUntil(const bool& done) {
    for (int i = 0; i < 500 && !done; ++i) {
        MainLoop::queue()->drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// A software checker for app() that has found release 2.1.0 on `server` and cached it.
std::shared_ptr<Stinger> checkerWithRelease(InstallationTest& test, test::HttpServer& server,
                                            const std::string& image) {
    const std::string plain = "[{\"name\":\"Harbrix-2.1.0.tar.gz\",\"hash\":\"" +
                              MD5String(Bytes(image.begin(), image.end())) +
                              "\",\"size\":" + std::to_string(image.size()) +
                              ",\"version\":\"2.1.0\",\"baseline\":\"1.0\",\"changes\":[\"New\"]}]";
    const auto cipher = Torque::up(Bytes(plain.begin(), plain.end()));
    ::setenv("HARBRIX_UPDATE_SERVER", server.url().c_str(), 1);
    server.put("/assets/Harbrix/software/mac/_.manifest",
               std::string(cipher->begin(), cipher->end()));
    server.put("/assets/Harbrix/software/mac/Harbrix-2.1.0.tar.gz", image);

    StingerFacts facts;
    facts.currentVersion = [] { return Version::versionWithString("2.0.0"); };
    facts.systemVersion = [] { return Version::versionWithString("1.0"); };
    facts.folder = test.cacheFolder();
    facts.periodic = false;
    const auto stinger = Stinger::softwareStinger(
        server.url() + "/assets/Harbrix/software/mac/_.manifest", {}, facts);
    if (!stinger) return nullptr;
    stinger->setInstallBundle(test.appPath());
    stinger->refresh();
    for (int i = 0; i < 500 && !stinger->updateAvailable(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return stinger;
}

TEST_F(InstallationTest, TheSoftwareCheckerInstallsItsCachedReleaseAndReportsOnTheMainRail) {
    const std::string image = readText(makeImage("2.1.0"));
    test::HttpServer server;
    const auto stinger = checkerWithRelease(*this, server, image);
    ASSERT_TRUE(stinger);
    ASSERT_TRUE(stinger->updateAvailable());
    EXPECT_TRUE(stinger->installsItself());

    // A cached image that does not mount: the application stays as it was.
    const std::string cached = dir.file("cache/Harbrix-2.1.0.tar.gz");
    writeText(cached, "not an image");
    bool done = false, installed = true;
    ASSERT_TRUE(stinger->update([&](bool success) {
        installed = success;
        done = true;
    }));
    drainUntil(done);
    ASSERT_TRUE(done);
    EXPECT_FALSE(installed);
    EXPECT_EQ(readText(app() + "/Contents/Info.plist"), originalPlist);

    writeText(cached, image);
    done = false;
    ASSERT_TRUE(stinger->update([&](bool success) {
        installed = success;
        done = true;
    }));
    drainUntil(done);
    ASSERT_TRUE(done);
    EXPECT_TRUE(installed);
    EXPECT_EQ(readText(app() + "/Contents/MacOS/Harbrix"), "new executable 2.1.0");
    EXPECT_EQ(entriesIn(volumes()), 0u);
    // The relaunch is looked for in the new Contents, which lack it here.
    EXPECT_FALSE(stinger->relaunchScript());

    writeText(cached, readText(makeImage("2.1.0-relaunch", false, true)));
    done = false;
    ASSERT_TRUE(stinger->update([&](bool success) {
        installed = success;
        done = true;
    }));
    drainUntil(done);
    ASSERT_TRUE(installed);
    EXPECT_EQ(stinger->relaunchScript(),
              std::optional<std::string>(app() + "/Contents/Resources/Scripts/bounce.sh"));
    ::unsetenv("HARBRIX_UPDATE_SERVER");
}

// A bundle this user cannot write to, as a package install leaves it: the release is still
// found, but installing it replaces nothing and reports failure.
TEST_F(InstallationTest, APackagedBundleIsOfferedTheReleaseButNeverReplaced) {
    const std::string image = readText(makeImage("2.1.0"));
    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(app(), readOnly);
    fs::permissions(app() + "/Contents", readOnly);
    test::HttpServer server;
    const auto stinger = checkerWithRelease(*this, server, image);
    ASSERT_TRUE(stinger);
    EXPECT_TRUE(stinger->updateAvailable());
    EXPECT_FALSE(stinger->installsItself());

    bool done = false, installed = true;
    ASSERT_TRUE(stinger->update([&](bool success) {
        installed = success;
        done = true;
    }));
    drainUntil(done);
    ASSERT_TRUE(done);
    EXPECT_FALSE(installed);
    EXPECT_EQ(readText(app() + "/Contents/Info.plist"), originalPlist);
    EXPECT_EQ(entriesIn(app()), 1u);
    EXPECT_EQ(entriesIn(volumes()), 0u);

    // Read-only Contents alone is enough to keep it from being replaced.
    fs::permissions(app(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_FALSE(stinger->installsItself());
    fs::permissions(app() + "/Contents", fs::perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(stinger->installsItself());
}

// The relaunch script waits for the old process to end, then starts the bundle's executable.
TEST_F(InstallationTest, TheRelaunchScriptStartsTheBundleAgainOnceTheOldProcessEnded) {
    const std::string marker = dir.file("relaunched");
    writeText(
        app() + "/Contents/MacOS/Harbrix",
        "#!/bin/sh\nif kill -0 \"$OLD\" 2>/dev/null; then echo early; else echo after; fi > \"" +
            marker + "\"\n");
    fs::permissions(app() + "/Contents/MacOS/Harbrix", fs::perms::owner_all);
    const auto result =
        test::runProgram("/bin/sh", {"-c", "sleep 0.5 & OLD=$!; export OLD; \"$0\" \"$OLD\"",
                                     app() + "/Contents/Resources/Scripts/bounce.sh"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readText(marker), "after\n");
}

}  // namespace
}  // namespace harbrix
