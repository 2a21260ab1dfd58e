// Downloads stay on HTTPS: a redirect to plain HTTP is not followed, not even from the
// loopback test server, and plain HTTP is fetched only from that server when
// HARBRIX_UPDATE_SERVER names it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "platform/Log.h"
#include "support/HttpServer.h"
#include "updates/Download.h"

namespace harbrix {
namespace {

class DownloadTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("HARBRIX_UPDATE_SERVER", server.url().c_str(), 1); }
    void TearDown() override { ::unsetenv("HARBRIX_UPDATE_SERVER"); }

    bool logged(const std::string& part) const {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }

    test::HttpServer server;
    test::HttpServer elsewhere;
    std::vector<std::string> lines;
    LogCapture capture{[this](const std::string& line) { lines.push_back(line); }};
};

TEST_F(DownloadTest, RedirectsToPlainHttpAreNotFollowed) {
    server.put("/m/_.manifest", "manifest");
    EXPECT_EQ(downloadURL(server.url() + "/m/_.manifest", 100),
              Bytes({'m', 'a', 'n', 'i', 'f', 'e', 's', 't'}));

    elsewhere.put("/evil.dmg", "payload");
    server.redirect("/m/app.dmg", elsewhere.url() + "/evil.dmg");
    server.put("/m/own.dmg", "payload");
    server.redirect("/m/moved.dmg", server.url() + "/m/own.dmg");
    EXPECT_FALSE(downloadURL(server.url() + "/m/app.dmg", 100));
    EXPECT_FALSE(downloadURL(server.url() + "/m/moved.dmg", 100));
    EXPECT_EQ(elsewhere.requests("/evil.dmg"), 0);
    EXPECT_EQ(server.requests("/m/own.dmg"), 0);
    EXPECT_TRUE(logged(server.url() + "/m/app.dmg redirects to "));
    EXPECT_TRUE(logged("which is not HTTPS"));
}

TEST_F(DownloadTest, PlainHttpOnlyFromTheNamedLoopbackServer) {
    elsewhere.put("/m/_.manifest", "manifest");
    EXPECT_FALSE(downloadURL(elsewhere.url() + "/m/_.manifest", 100));
    EXPECT_EQ(elsewhere.requests("/m/_.manifest"), 0);
    EXPECT_TRUE(logged("is not an HTTPS address"));

    const struct {
        const char* named;
        const char* url;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080/a/_.manifest", true},
        {"http://localhost:8080/", "http://localhost:8080/a", true},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8081/a", false},
        {"http://updates.example.com", "http://updates.example.com/a", false},
        {"https://127.0.0.1:8080", "http://127.0.0.1:8080/a", false},
        {"", "http://127.0.0.1:8080/a", false},
    };
    for (const auto& c : cases) {
        ::setenv("HARBRIX_UPDATE_SERVER", c.named, 1);
        EXPECT_EQ(plainHttpAllowed(c.url), c.allowed) << c.named << " " << c.url;
    }
}

}  // namespace
}  // namespace harbrix
