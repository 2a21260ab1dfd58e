// The application executable as the release manager's manifest tool, run in a scratch
// folder, and the bundle the build lays out around it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/Bundle.h"
#include "support/HttpServer.h"
#include "support/Program.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "updates/ApplicationInfo.h"

namespace harbrix {
namespace {

using test::readText;
using test::writeText;

namespace fs = std::filesystem;

std::string bundle() {
    return Bundle::bundlePath().value_or("");
}
std::string harbrix() {
    return bundle() + "/Contents/MacOS/Harbrix";
}

// The sanitizer builds leave out the windowed application.
bool applicationBuilt() { return !bundle().empty() && fs::exists(harbrix()); }

class ManifestToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!applicationBuilt()) GTEST_SKIP() << "this build has no application executable";
    }

    // Runs Harbrix with `arguments` in the scratch folder.
    test::ProgramResult run(const std::vector<std::string>& arguments) {
        std::vector<std::string> shell = {"-c", "cd \"$0\" && exec \"$@\"", dir.path(), harbrix()};
        shell.insert(shell.end(), arguments.begin(), arguments.end());
        return test::runProgram("/bin/sh", shell);
    }
    std::string file(const std::string& name) const { return dir.file(name); }

    test::TempDir dir{"manifest-tool"};
};

TEST_F(ManifestToolTest, PrepareEnciphersToWholeBlocks) {
    const std::pair<std::size_t, std::size_t> sizes[] = {{1, 16}, {15, 16}, {16, 32}, {40, 48}};
    for (const auto& [plain, cipher] : sizes) {
        SCOPED_TRACE(plain);
        writeText(file("_.json"), std::string(plain, '['));
        const auto result = run({"prepare"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(fs::file_size(file("_.manifest")), cipher);
    }
}

TEST_F(ManifestToolTest, VerifyAndRebuildRecoverWhatPrepareEnciphered) {
    const std::string plain = R"([{"name":"Harbrix-2.1.0.tar.gz","version":"2.1.0"}])";
    writeText(file("_.json"), plain);
    ASSERT_EQ(run({"prepare"}).status, 0);

    auto verified = run({"verify"});
    EXPECT_EQ(verified.status, 0);
    EXPECT_EQ(verified.out, "==\n");

    fs::rename(file("_.json"), file("kept.json"));
    const auto rebuilt = run({"rebuild"});
    EXPECT_EQ(rebuilt.status, 0);
    EXPECT_EQ(rebuilt.out, "");
    EXPECT_EQ(readText(file("rebuild.json")), plain);
    EXPECT_FALSE(fs::exists(file("_.json")));  // rebuild never writes the plain file itself

    writeText(file("_.json"), "[{\"name\":\"Harbrix-2.1.1.tar.gz\",\"version\":\"2.1.0\"}]");
    verified = run({"verify"});
    EXPECT_EQ(verified.status, 1);
    EXPECT_EQ(verified.out, "!=\n");
}

TEST_F(ManifestToolTest, EveryFailureExitsWithOne) {
    struct Case {
        const char* what;
        const char* word;
        std::function<void(const test::TempDir&)> setUp;
        const char* output;
    };
    const Case cases[] = {
        {"prepare without _.json", "prepare", [](const test::TempDir&) {}, ""},
        {"prepare with an empty _.json", "prepare",
         [](const test::TempDir& t) { writeText(t.file("_.json"), ""); }, ""},
        {"prepare that cannot write", "prepare",
         [](const test::TempDir& t) {
             writeText(t.file("_.json"), "[]");
             fs::create_directory(t.file("_.manifest"));
         },
         ""},
        {"verify without _.manifest", "verify",
         [](const test::TempDir& t) { writeText(t.file("_.json"), "[]"); }, "!=\n"},
        {"verify without _.json", "verify",
         [](const test::TempDir& t) { writeText(t.file("_.manifest"), std::string(16, 'x')); },
         "!=\n"},
        {"verify of an undecipherable manifest", "verify",
         [](const test::TempDir& t) {
             writeText(t.file("_.json"), "[]");
             writeText(t.file("_.manifest"), "seventeen bytes!!");
         },
         "!=\n"},
        {"rebuild without _.manifest", "rebuild", [](const test::TempDir&) {}, ""},
        {"rebuild of an empty manifest", "rebuild",
         [](const test::TempDir& t) { writeText(t.file("_.manifest"), ""); }, ""},
        {"rebuild of a manifest of bad length", "rebuild",
         [](const test::TempDir& t) { writeText(t.file("_.manifest"), "short"); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove_all(entry.path());
        c.setUp(dir);
        const auto result = run({c.word});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, c.output);
        EXPECT_FALSE(fs::exists(file("rebuild.json")));
        if (std::string(c.word) == "prepare") {
            EXPECT_FALSE(fs::is_regular_file(file("_.manifest")));
        }
    }
}

// Any other argument list starts the windowed application, which keeps running.
TEST_F(ManifestToolTest, OtherArgumentsStartTheApplication) {
    writeText(file("_.json"), "[]");
    const std::string unreachable =
        "http://127.0.0.1:" + std::to_string(test::HttpServer::unusedPort());
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"Prepare"}, std::vector<std::string>{"prepare", "again"}}) {
        SCOPED_TRACE(arguments.front() + " " + std::to_string(arguments.size()));
        std::vector<std::string> line = {"-k", "1", "2", harbrix()};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const auto result = test::runProgram("/usr/bin/timeout", line,
                                             {{"QT_QPA_PLATFORM", "offscreen"},
                                              {"HARBRIX_UPDATE_SERVER", unreachable},
                                              {"HOME", dir.path()},
                                              {"XDG_DATA_HOME", dir.file("data")}});
        EXPECT_EQ(result.status, 124) << result.err;  // still running when the time was up
        EXPECT_FALSE(fs::exists(file("_.manifest")));
    }
}

TEST(Bundle, IsLaidOutAsTheApplicationExpects) {
    if (!applicationBuilt()) GTEST_SKIP() << "this build has no application executable";
    struct stat info {};
    for (const std::string path :
         {"/Contents/MacOS/Harbrix", "/Contents/Resources/Scripts/bounce.sh"
#ifndef __APPLE__
          ,
          "/Contents/Resources/Scripts/hdiutil"
#endif
         }) {
        SCOPED_TRACE(path);
        ASSERT_EQ(::stat((bundle() + path).c_str(), &info), 0);
        EXPECT_NE(info.st_mode & S_IXUSR, 0u);
    }
    const auto values = ApplicationInfo::readInfo(bundle() + "/Contents/Info.plist");
    EXPECT_EQ(values.at("CFBundleName"), "Harbrix");
    EXPECT_EQ(values.at("CFBundleExecutable"), "Harbrix");
    EXPECT_FALSE(values.at("CFBundleIdentifier").empty());
    EXPECT_TRUE(Version::versionWithString(values.at("CFBundleShortVersionString")));
    EXPECT_EQ(ApplicationInfo::name(), "Harbrix");
    EXPECT_TRUE(ApplicationInfo::version());
}

}  // namespace
}  // namespace harbrix
