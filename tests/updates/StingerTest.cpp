// The update checker against a local HTTP server: version and baseline decisions, payload
// sizes, the cache's repair, unreachable servers and the delegate.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "link/Checksum.h"
#include "link/Model.h"
#include "platform/Log.h"
#include "platform/MainLoop.h"
#include "support/HttpServer.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"
#include "updates/Torque.h"
#include "updates/UpdateStartup.h"

namespace harbrix {
namespace {

using test::readText;
using test::writeText;

using Json = nlohmann::json;

constexpr const char* kManifestPath = "/assets/Harbrix/firmware/MIV3/_.manifest";
constexpr const char* kPayloadPath = "/assets/Harbrix/firmware/MIV3/MIV3-2.0.ldr";

std::string md5(const std::string& text) {
    return MD5String(Bytes(text.begin(), text.end()));
}

class Recorder : public StingerDelegate {
  public:
    void stingerHasAvailableUpdate(Stinger& stinger) override {
        std::lock_guard lock(mutex);
        ++calls;
        device = stinger.device();
        availableWhenTold = stinger.updateAvailable();
        changed.notify_all();
    }
    bool waitForCall(std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return calls > 0; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;
    std::string device;
    bool availableWhenTold = false;
};

class StingerTest : public ::testing::Test {
  protected:
    // Plain HTTP is fetched only from the loopback server the environment names.
    void SetUp() override { ::setenv("HARBRIX_UPDATE_SERVER", server.url().c_str(), 1); }
    void TearDown() override { ::unsetenv("HARBRIX_UPDATE_SERVER"); }

    const std::string payload = std::string(3000, 'F') + "firmware image";

    // A manifest whose latest release is `latest` (merged over a valid firmware release).
    void publish(const Json& latest, const std::string& path = kManifestPath) {
        Json release = {{"name", "MIV3-2.0.ldr"}, {"hash", md5(payload)},
                        {"size", payload.size()}, {"version", "2.0.0"},
                        {"baseline", "1.0.0"},    {"changes", Json::array({"Faster presets"})}};
        if (latest.is_object()) release.update(latest);
        const Json manifest = Json::array({{{"name", "old.ldr"}, {"version", "0.9"}}, release});
        const std::string text = manifest.dump();
        const auto cipher = Torque::up(Bytes(text.begin(), text.end()));
        server.put(path, std::string(cipher->begin(), cipher->end()));
    }

    StingerFacts facts(const std::string& current = "1.0.0") {
        StingerFacts f;
        f.currentVersion = [current] { return Version::versionWithString(current); };
        f.applicationVersion = [] { return Version::versionWithString("1.5.0"); };
        f.systemVersion = [] { return Version::versionWithString("12.0.0"); };
        f.folder = cache();
        f.periodic = false;
        return f;
    }

    std::shared_ptr<Stinger> firmware(StingerFacts f,
                                      std::weak_ptr<StingerDelegate> delegate = {}) {
        return Stinger::firmwareStinger(server.url() + kManifestPath, "MIV3", delegate,
                                        std::move(f));
    }

    std::string cache() const { return dir.path() + "/cache"; }
    std::string cachedFile() const { return cache() + "/MIV3-2.0.ldr"; }

    test::TempDir dir{"stinger"};
    test::HttpServer server;
};

TEST_F(StingerTest, OffersANewerReleaseOnceItsPayloadIsVerifiedAndCached) {
    publish({});
    server.put(kPayloadPath, payload);
    auto recorder = std::make_shared<Recorder>();
    const auto stinger = firmware(facts(), recorder);
    ASSERT_TRUE(stinger);
    EXPECT_TRUE(stinger->isFirmwareStinger());

    EXPECT_TRUE(stinger->coreCheck());
    EXPECT_EQ(recorder->calls, 1);
    EXPECT_EQ(recorder->device, "MIV3");
    EXPECT_EQ(readText(cachedFile()), payload);
    EXPECT_EQ(stinger->latestVersion(), Version::versionWithString("2.0.0"));
    EXPECT_EQ(stinger->updates().size(), 2u);
    const auto image = stinger->updatePayload();
    ASSERT_TRUE(image);
    EXPECT_EQ(std::string(image->begin(), image->end()), payload);

    // The next check is served from the cache.
    EXPECT_TRUE(stinger->coreCheck());
    EXPECT_EQ(server.requests(kPayloadPath), 1);
    EXPECT_EQ(recorder->calls, 2);
}

TEST_F(StingerTest, FindsNoUpdateForAnEqualOrOlderRelease) {
    publish({});
    server.put(kPayloadPath, payload);
    for (const char* current : {"2.0.0", "2.0", "2.1.0"}) {
        SCOPED_TRACE(current);
        const auto stinger = firmware(facts(current));
        EXPECT_FALSE(stinger->coreCheck());
        EXPECT_EQ(stinger->lastOutcome(), "up to date");
        EXPECT_EQ(stinger->latestVersion(), Version::versionWithString("2.0.0"));
    }
    EXPECT_EQ(server.requests(kPayloadPath), 0);
}

TEST_F(StingerTest, RefusesReleasesThatNeedANewerBaseWithTheirLogLines) {
    struct Case {
        bool software;
        std::string baseline;
        std::string line;
    };
#ifdef __APPLE__
    const std::string systemLine = "Upgrade macOS first. Then upgrade Harbrix.";
#else
    const std::string systemLine = "Upgrade Linux first. Then upgrade Harbrix.";
#endif
    const Case cases[] = {
        {false, "1.6.0", "Upgrade Harbrix first. Then upgrade the firmware on the device."},
        {true, "12.1", systemLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string path =
            c.software ? "/assets/Harbrix/software/mac/_.manifest" : kManifestPath;
        publish({{"baseline", c.baseline}}, path);
        server.put(kPayloadPath, payload);
        std::filesystem::create_directories(cache());
        writeText(cachedFile(), payload);  // even a verified cached copy is not offered
        std::vector<std::string> lines;
        LogCapture capture([&](const std::string& line) { lines.push_back(line); });
        const auto stinger = c.software ? Stinger::softwareStinger(server.url() + path, {}, facts())
                                        : firmware(facts());
        EXPECT_FALSE(stinger->coreCheck());
        EXPECT_FALSE(stinger->coreCheck());
        EXPECT_EQ(std::count(lines.begin(), lines.end(), c.line), 2);
        EXPECT_FALSE(stinger->updatePayload());
        EXPECT_EQ(server.requests(kPayloadPath), 0);
    }
}

TEST_F(StingerTest, NeverFetchesOrOffersPayloadsOfSizesOutOfRange) {
    for (const long long size : {0LL, 50'000'001LL, -1LL}) {
        SCOPED_TRACE(size);
        publish({{"size", size}});
        server.put(kPayloadPath, payload);
        const auto stinger = firmware(facts());
        EXPECT_FALSE(stinger->coreCheck());
        UpdateEntry entry = *stinger->latestEntry();
        EXPECT_FALSE(stinger->download(entry));
        EXPECT_EQ(server.requests(kPayloadPath), 0);
    }
}

TEST_F(StingerTest, ReplacesACorruptCachedPayloadInTheSameCheck) {
    const std::pair<const char*, std::string> corruptions[] = {
        {"same size, other bytes", std::string(payload.size(), 'x')},
        {"truncated", payload.substr(0, 100)},
    };
    for (const auto& [what, content] : corruptions) {
        SCOPED_TRACE(what);
        publish({});
        server.put(kPayloadPath, payload);
        std::filesystem::create_directories(cache());
        writeText(cachedFile(), content);
        const int before = server.requests(kPayloadPath);
        const auto stinger = firmware(facts());
        EXPECT_TRUE(stinger->coreCheck());
        EXPECT_EQ(server.requests(kPayloadPath), before + 1);
        EXPECT_EQ(readText(cachedFile()), payload);
    }
}

TEST_F(StingerTest, DeletesACorruptCacheAndKeepsNothingWhenTheDownloadIsWrongToo) {
    publish({});
    server.put(kPayloadPath, payload + "!");  // longer than announced
    std::filesystem::create_directories(cache());
    writeText(cachedFile(), std::string(payload.size(), 'x'));
    const auto stinger = firmware(facts());
    EXPECT_FALSE(stinger->coreCheck());
    EXPECT_FALSE(std::filesystem::exists(cachedFile()));

    server.put(kPayloadPath, std::string(payload.size(), 'y'));  // right size, wrong digest
    EXPECT_FALSE(stinger->coreCheck());
    EXPECT_FALSE(std::filesystem::exists(cachedFile()));
}

TEST_F(StingerTest, FindsNoUpdateWhenTheServerCannotBeReached) {
    publish({});
    server.put(kPayloadPath, payload);
    server.setDropping(true);
    const auto dropped = firmware(facts());
    EXPECT_FALSE(dropped->coreCheck());
    EXPECT_FALSE(dropped->updateAvailable());
    EXPECT_GE(server.requests(kManifestPath), 1);

    const auto nobody = Stinger::firmwareStinger(
        "http://127.0.0.1:" + std::to_string(test::HttpServer::unusedPort()) + kManifestPath,
        "MIV3", {}, facts());
    EXPECT_FALSE(nobody->coreCheck());
    EXPECT_EQ(nobody->lastOutcome(), "the manifest could not be fetched");
    EXPECT_TRUE(nobody->updates().empty());
}

TEST_F(StingerTest, KeepsTheLastGoodManifestWhenALaterFetchFails) {
    publish({});
    server.put(kPayloadPath, payload);
    const auto stinger = firmware(facts());
    EXPECT_TRUE(stinger->coreCheck());
    server.put(kManifestPath, "not enciphered");
    EXPECT_FALSE(stinger->coreCheck());
    EXPECT_EQ(stinger->updates().size(), 2u);
}

TEST_F(StingerTest, RefusesPayloadNamesThatLeaveTheCacheFolder) {
    publish({{"name", "../escape.ldr"}});
    server.put("/assets/Harbrix/firmware/escape.ldr", payload);
    const auto stinger = firmware(facts());
    EXPECT_FALSE(stinger->coreCheck());
    EXPECT_EQ(server.requests("/assets/Harbrix/firmware/escape.ldr"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/escape.ldr"));
}

TEST_F(StingerTest, PeriodicCheckReportsToTheDelegateFromItsOwnThread) {
    publish({});
    server.put(kPayloadPath, payload);
    auto recorder = std::make_shared<Recorder>();
    StingerFacts f = facts();
    f.periodic = true;
    const auto stinger = firmware(f, recorder);
    ASSERT_TRUE(recorder->waitForCall(std::chrono::seconds(20)));
    // The settings screen the delegate tells asks the checker straight away.
    EXPECT_TRUE(recorder->availableWhenTold);
    EXPECT_TRUE(stinger->updateAvailable());
    // A second address is ignored: the first one stays.
    stinger->setManifest("http://elsewhere/_.manifest");
    EXPECT_EQ(stinger->manifest(), server.url() + kManifestPath);
}

// What "Software Update..." answers after each kind of check: a failure or a check not yet
// ended says so, and is never taken for "You're up to date!".
class Answers : public StingerPresenter {
  public:
    void showForUpdate(Stinger&, const UpdateEntry& entry) override {
        shown.push_back("window " + entry.version);
    }
    void hide() override {}
    void showUpToDate(const std::string& headline, const std::string& fineprint) override {
        shown.push_back(headline + " / " + fineprint);
    }
    void showMessage(const std::string& headline, const std::string& fineprint) override {
        shown.push_back(headline + " / " + fineprint);
    }
    std::vector<std::string> shown;
};

TEST_F(StingerTest, EachKindOfCheckGetsItsOwnAnswerAndFailuresAreLogged) {
    const std::string path = "/assets/Harbrix/software/mac/_.manifest";
    const std::string unreachable =
        "http://127.0.0.1:" + std::to_string(test::HttpServer::unusedPort()) + path;
    // A check asked of this server stays running until the test lets it drop the request.
    test::HttpServer held;
    held.setDropping(true);
    held.hold();
    struct Case {
        const char* what;
        std::string manifest;  // published at `path`; empty: nothing is published
        std::string url;
        bool check;  // whether a check ran before the question
        std::string answer;
        std::string logged;  // part of a log line written by the check
    };
    const Case cases[] = {
        {"server down", "", unreachable, true,
         "Harbrix could not check for updates. / The update server could not be reached.",
         "could not be fetched"},
        {"corrupt manifest", "not enciphered", server.url() + path, true,
         "Harbrix could not check for updates. / The update information could not be read.",
         "does not decipher"},
        {"no check ended yet", "", held.url() + path, false,
         "Harbrix is still checking for updates. / The check has not finished yet; try again "
         "in a moment.",
         ""},
        {"up to date", "published", server.url() + path, true,
         "You're up to date! / You're running the most recent version of ", ""},
    };
    auto answers = std::make_shared<Answers>();
    Stinger::setPresenter(answers);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.manifest == "published")
            publish({{"version", "0.5"}}, path);
        else if (!c.manifest.empty())
            server.put(path, c.manifest);
        std::vector<std::string> lines;
        LogCapture capture([&](const std::string& line) { lines.push_back(line); });
        const auto stinger = Stinger::softwareStinger(c.url, {}, facts());
        if (c.check) {
            EXPECT_FALSE(stinger->coreCheck());
        }
        answers->shown.clear();
        stinger->showWindowIfUpdateAvailable();
        ASSERT_EQ(answers->shown.size(), 1u);
        EXPECT_EQ(answers->shown[0].rfind(c.answer, 0), 0u) << answers->shown[0];
        if (!c.logged.empty()) {
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.find(c.logged) != std::string::npos;
            }));
        }
        // Asked before anything was known, it started a check of its own.
        if (!c.check) {
            held.release();
            for (int i = 0; i < 500 && stinger->checking(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_EQ(stinger->lastResult(), Stinger::CheckResult::unreachable);
        }
    }
    // The version as the bundle states it: 1.0.0, not the shortest form "1".
    EXPECT_EQ(ApplicationInfo::versionText(), std::optional<std::string>("1.0.0"));
    EXPECT_NE(answers->shown[0].find("(1.0.0)."), std::string::npos) << answers->shown[0];
    Stinger::setPresenter(nullptr);
}

TEST(StingerPacing, ChecksEveryFiveMinutesButNeverSoonerThanFourAfterTheLast) {
    const std::pair<double, double> cases[] = {{0, 300}, {1.5, 298.5}, {60, 240}, {200, 240}};
    for (const auto& [took, pause] : cases) EXPECT_DOUBLE_EQ(Stinger::nextCheckDelay(took), pause);
}

TEST(StingerConstruction, NeedsAnAddressAndAModelName) {
    StingerFacts f;
    f.periodic = false;
    f.folder = "/nonexistent-harbrix";
    EXPECT_FALSE(Stinger::softwareStinger("", {}, f));
    EXPECT_FALSE(Stinger::firmwareStinger("http://x/_.manifest", "", {}, f));
    EXPECT_FALSE(Stinger::firmwareStinger("", "MIV3", {}, f));
    const auto software = Stinger::softwareStinger("http://x/_.manifest", {}, f);
    ASSERT_TRUE(software);
    EXPECT_TRUE(software->isSoftwareStinger());
    bool called = false;
    EXPECT_FALSE(software->update(nullptr));
    // Nothing to install: the completion still comes, on the main rail.
    EXPECT_TRUE(software->update([&](bool success) { called = success; }));
    for (int i = 0; i < 100 && !called; ++i) {
        MainLoop::queue()->drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(called);
}

TEST(StingerModelHook, EveryParsedModelGetsAFirmwareCheckerForItsOwnManifest) {
    StingerFacts f;
    f.periodic = false;
    UpdateStartup::installFirmwareCheckers({}, f);
    const auto model = Model::modelFromSerializedRepresentation("Brellwick,,NAX3,,1.4");
    ASSERT_TRUE(model);
    for (int i = 0; i < 100 && !model->stinger(); ++i) {
        MainLoop::queue()->drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Model::setCheckerFactory(nullptr);
    const auto checker = std::dynamic_pointer_cast<Stinger>(model->stinger());
    ASSERT_TRUE(checker);
    EXPECT_TRUE(checker->isFirmwareStinger());
    EXPECT_EQ(checker->device(), "NAX3");
    EXPECT_NE(checker->manifest().find("/assets/Harbrix/firmware/NAX3/_.manifest"),
              std::string::npos);
    EXPECT_NE(checker->folder().find("/updates/firmware/NAX3"), std::string::npos);
    // Without a current pedal the firmware compared is that of the newest record of the model.
    EXPECT_EQ(checker->currentVersion(), Version::versionWithString("1.4"));
}

}  // namespace
}  // namespace harbrix
