// Checks and refreshes on the checker's rail while other threads read its results.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/Checksum.h"
#include "support/HttpServer.h"
#include "support/TempDir.h"
#include "updates/Stinger.h"
#include "updates/Torque.h"

namespace harbrix {
namespace {

TEST(StingerThreading, ReadersSeeWholeResultsWhileChecksRun) {
    test::TempDir dir("stinger-threads");
    test::HttpServer server;
    const std::string payload(5000, 'p');
    const std::string plain = "[{\"name\":\"fw.ldr\",\"hash\":\"" +
                              MD5String(Bytes(payload.begin(), payload.end())) +
                              "\",\"size\":5000,\"version\":\"2.0\",\"baseline\":\"1.0\"}]";
    const auto cipher = Torque::up(Bytes(plain.begin(), plain.end()));
    ::setenv("HARBRIX_UPDATE_SERVER", server.url().c_str(), 1);
    server.put("/m/_.manifest", std::string(cipher->begin(), cipher->end()));
    server.put("/m/fw.ldr", payload);

    StingerFacts facts;
    facts.currentVersion = [] { return Version::versionWithString("1.0"); };
    facts.applicationVersion = facts.currentVersion;
    facts.folder = dir.file("cache");
    const auto stinger =
        Stinger::firmwareStinger(server.url() + "/m/_.manifest", "MIV3", {}, facts);
    ASSERT_TRUE(stinger);

    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                const auto entries = stinger->updates();
                if (!entries.empty()) {
                    EXPECT_EQ(entries.size(), 1u);
                    EXPECT_EQ(entries.back().name, "fw.ldr");
                    ++seen;
                }
                (void)stinger->latestVersion();
                (void)stinger->updateAvailable();
                (void)stinger->lastOutcome();
            }
        });
    }
    for (int i = 0; i < 10; ++i) stinger->refresh();
    for (int i = 0; i < 1000 && (!stinger->updateAvailable() || seen == 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop = true;
    for (auto& reader : readers) reader.join();
    EXPECT_TRUE(stinger->updateAvailable());
    EXPECT_GT(seen.load(), 0);
}

}  // namespace
}  // namespace harbrix
