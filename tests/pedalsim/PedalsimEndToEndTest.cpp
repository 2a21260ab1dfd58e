// The simulated pedal seen from the wire: requests written to its pty with plain POSIX
// calls, replies read back as the application's line reads them.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/HostPort.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix::test {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

constexpr std::uint8_t kGetCmds = 0x01, kGetTmo = 0x05, kWhoRU = 0x0D, kPresetInfo = 0x10,
                       kReadPreset = 0x11, kLocalControlX = 0x16, kSuspendC = 0x80, kSetBaud = 0x95,
                       kMidiJam = 0xF2;

Bytes reply(std::uint8_t error, const Bytes& payload = {}) {
    Bytes bytes{error, 0};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes text(const std::string& s) {
    Bytes bytes(s.begin(), s.end());
    bytes.push_back(0);
    return bytes;
}

Bytes presetNamed(const std::string& name) {
    Bytes preset(104, 0);
    std::fill(preset.begin(), preset.begin() + 24, ' ');
    std::copy(name.begin(), name.end(), preset.begin());
    return preset;
}

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) s += {digits[b >> 4], digits[b & 15]};
    return s;
}

// What a UART at the wrong speed delivers: something, but never a success header, an
// empty-slot error or the CR LF that may start "WHO_RU".
bool isLineNoise(const Bytes& bytes) {
    return !bytes.empty() && bytes[0] != 0 && bytes[0] != 6 && bytes[0] != 0x0D;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path) << content;
}

const Bytes kMiv3Commands{1,   2,   3,   5,   13,  16,  17,  18,  19,  22,  112, 128,
                          129, 130, 131, 132, 144, 145, 146, 147, 149, 240, 242, 0};

class PedalsimEndToEnd : public ::testing::Test {
  protected:
    void start(std::vector<std::string> arguments = {}) {
        sim = std::make_unique<Simulator>(std::move(arguments));
        ASSERT_TRUE(sim->running()) << sim->error();
        connect();
    }
    void connect() {
        port = std::make_unique<HostPort>(sim->path());
        ASSERT_TRUE(port->isOpen()) << sim->path();
    }
    // For a reply that must come: generous for the first byte, short after the last.
    Bytes exchange(const Bytes& bytes) { return port->exchange(bytes, 50ms, 2s); }

    TempDir folder;  // for state files; outlives the simulator, which saves as it ends
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<HostPort> port;
};

TEST_F(PedalsimEndToEnd, AnswersTheBringUpExchanges) {
    start();
    EXPECT_EQ(sim->nodeName(), "cu.usbserial-SIM00001");
    EXPECT_EQ(sim->path(), sim->dir() + "/cu.usbserial-SIM00001");
    const struct {
        Bytes request;
        Bytes expected;
    } cases[] = {
        {request(kWhoRU), reply(0, text("QOR,,MIV3,,42.1.0,,Mar 4 2021 10:11:12"))},
        {request(kGetCmds), reply(0, kMiv3Commands)},
        {request(kGetTmo, 0, 4), reply(0, {2, 1, 2, 3})},
        {request(kPresetInfo), reply(0, {100, 104, 0})},
        {request(kSuspendC, 0, 0, 3), reply(0)},
        {request(0x07), reply(1)},  // no such command
        {request(0x15), reply(1)},  // a known name the pedal does not advertise
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exchange(c.request), c.expected) << "command " << int(c.request[0]);
    }
}

TEST_F(PedalsimEndToEnd, IdentityFollowsTheOptions) {
    start({"--model", "NAX3", "--serial", "N0001", "--qor-name", "--firmware", "41.0.2", "--date",
           "", "--crlf", "--timeouts", "5,1,2,30"});
    EXPECT_EQ(sim->nodeName(), "cu.qorNAX3-N0001");
    Bytes who{'\r', '\n'};
    const Bytes model = text("QOR,,NAX3,,41.0.2");
    who.insert(who.end(), model.begin(), model.end());
    EXPECT_EQ(exchange(request(kWhoRU)), who);
    // No preset commands on this model, and it refuses them.
    EXPECT_EQ(exchange(request(kGetCmds)),
              reply(0, {1, 2, 3, 5, 13, 16, 22, 112, 128, 129, 130, 131, 132, 149, 240, 242, 0}));
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {5, 1, 2, 30}));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 0)), reply(1));
}

TEST_F(PedalsimEndToEnd, ReadsPresetSlots) {
    start();
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 50)), reply(6));  // empty slot
    for (const auto& [slot, name] : {std::pair{0u, "Octave Up"}, std::pair{1u, "Fifth Down"}}) {
        const Bytes bytes = exchange(request(kReadPreset, 0, 104, slot));
        ASSERT_EQ(bytes.size(), 106u) << slot;
        EXPECT_EQ(bytes[0], 0);
        const Bytes expectedName = presetNamed(name);
        EXPECT_TRUE(std::equal(expectedName.begin(), expectedName.begin() + 24, bytes.begin() + 2))
            << slot;
    }
    const struct {
        std::uint8_t sizeCode;
        std::uint16_t count;
        std::uint32_t slot;
    } refused[] = {{0, 104, 100}, {0, 104, 0xFFFFFFFF}, {0, 103, 0}, {1, 104, 0}, {0, 0, 0}};
    for (const auto& r : refused) {
        EXPECT_EQ(exchange(request(kReadPreset, r.sizeCode, r.count, r.slot)), reply(2))
            << int(r.sizeCode) << "/" << r.count << "/" << r.slot;
    }
}

TEST_F(PedalsimEndToEnd, StateBlockCarriesSettingsAndSlotMaps) {
    const json state{{"presets",
                      {{"0", hex(presetNamed("A"))},
                       {"9", hex(presetNamed("B"))},
                       {"99", hex(presetNamed("C"))}}},
                     {"edited", {9}},
                     {"settings",
                      {{"midiChannel", 7},
                       {"midiThru", 1},
                       {"midiKeyboard", 1},
                       {"midiPitchWheelSensitivity", 12},
                       {"displayContrast", 9},
                       {"displayHomeview", 3},
                       {"displayNameCrawl", 0}}}};
    writeFile(folder.file("state.json"), state.dump());
    start({"--state", folder.file("state.json")});

    Bytes expected(48, 0);
    expected[3] = 1;  // effect on
    // Channel, thru, keyboard, pitch wheel, then home view before contrast, name crawl.
    const Bytes settings{7, 1, 1, 12, 3, 9, 0};
    std::copy(settings.begin(), settings.end(), expected.begin() + 5);
    expected[16 + 1] = 0x02;   // slot 9 edited
    expected[32 + 0] = 0x01;   // slot 0
    expected[32 + 1] = 0x02;   // slot 9
    expected[32 + 12] = 0x08;  // slot 99
    EXPECT_EQ(exchange(request(kLocalControlX, 0, 3, 16)), reply(0, expected));
    EXPECT_EQ(exchange(request(kLocalControlX)), reply(0, expected));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 99)), reply(0, presetNamed("C")));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 1)), reply(6));  // factory slot not kept
}

TEST_F(PedalsimEndToEnd, AnswersOnlyAtTheAgreedSpeed) {
    start();
    // A fresh pedal listens at 115200: a host already at the fast speed reads junk.
    ASSERT_TRUE(port->setSpeed(2000000));
    EXPECT_TRUE(isLineNoise(exchange(request(kWhoRU))));
    ASSERT_TRUE(port->setSpeed(115200));
    EXPECT_EQ(exchange(request(kSetBaud, 2, 0, 2000000)), reply(0));
    // The host forgot to follow.
    const Bytes junk = exchange(request(kGetTmo, 0, 4));
    EXPECT_TRUE(isLineNoise(junk)) << hex(junk);
    ASSERT_TRUE(port->setSpeed(2000000));
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3}));
}

TEST_F(PedalsimEndToEnd, ReassemblesRequestsThatArriveInPieces) {
    start();
    const Bytes who = request(kWhoRU);
    const Bytes expectedWho = reply(0, text("QOR,,MIV3,,42.1.0,,Mar 4 2021 10:11:12"));
    ASSERT_TRUE(port->send(Bytes(who.begin(), who.begin() + 3)));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(port->send(Bytes(who.begin() + 3, who.begin() + 6)));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(exchange(Bytes(who.begin() + 6, who.end())), expectedWho);

    // A writing command is answered only once its payload is complete.
    EXPECT_TRUE(port->exchange(request(kMidiJam, 0, 3), 30ms).empty());
    EXPECT_EQ(exchange({0xB0, 0x4F, 0x7F}), reply(0));

    // Two requests in one write: two replies in order.
    Bytes both = request(kGetTmo, 0, 4);
    both.insert(both.end(), who.begin(), who.end());
    Bytes expectedBoth = reply(0, {2, 1, 2, 3});
    expectedBoth.insert(expectedBoth.end(), expectedWho.begin(), expectedWho.end());
    EXPECT_EQ(exchange(both), expectedBoth);

    // An unfinished request is dropped after a pause, so it cannot swallow the next one.
    EXPECT_TRUE(port->exchange(Bytes(who.begin(), who.begin() + 5), 120ms).empty());
    EXPECT_EQ(exchange(who), expectedWho);
}

TEST_F(PedalsimEndToEnd, GoesQuietAfterTheRequestLimit) {
    start({"--fail-after", "2"});
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3}));
    EXPECT_EQ(exchange(request(kPresetInfo)), reply(0, {100, 104, 0}));
    EXPECT_TRUE(port->exchange(request(kGetTmo, 0, 4)).empty());
    EXPECT_TRUE(port->exchange(request(kWhoRU)).empty());
}

TEST_F(PedalsimEndToEnd, AnswersInjectedErrors) {
    start({"--error", "READ_PRESET=5", "--error", "0x0D=3", "--error", "5=0x09"});
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 0)), reply(5));
    EXPECT_EQ(exchange(request(kWhoRU)), reply(3));
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(9));
    EXPECT_EQ(exchange(request(kPresetInfo)), reply(0, {100, 104, 0}));
}

TEST_F(PedalsimEndToEnd, RefusesBadOptions) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--model", "MIV4"},
                                                      {"--error", "NO_SUCH_CMD=1"},
                                                      {"--error", "13=256"},
                                                      {"--timeouts", "1,2,3"},
                                                      {"--fail-after", "-1"},
                                                      {"--trailing", "3"},
                                                      {"--chunk-ms", "x"}}) {
        Simulator bad(arguments, 2s);
        EXPECT_FALSE(bad.running()) << arguments[0] << " " << arguments[1];
        EXPECT_NE(bad.error().find("status 2"), std::string::npos) << bad.error();
    }
}

TEST_F(PedalsimEndToEnd, SendsStrayBytesAfterEveryReply) {
    start({"--stray", "4"});
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3, 0xA5, 0xA5, 0xA5, 0xA5}));
}

TEST_F(PedalsimEndToEnd, BridgeTimingFaultsKeepEveryByteInOrder) {
    // Pieces, a pause in the middle, and stray bytes once after the first data reply.
    start({"--chunk-ms", "5", "--gap-ms", "20", "--trailing", "2@10"});
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3, 0xA5, 0xA5}));
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3}));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 0)).size(), 106u);
}

TEST_F(PedalsimEndToEnd, LatencyHoldsTheReplyBack) {
    start({"--latency", "150"});
    ASSERT_TRUE(port->send(request(kGetTmo, 0, 4)));
    EXPECT_TRUE(port->receive(60ms).empty());
    EXPECT_EQ(port->receive(50ms, 2s), reply(0, {2, 1, 2, 3}));
}

TEST_F(PedalsimEndToEnd, PacedRepliesTakeTheirTimeOnTheWire) {
    start({"--pace"});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(port->send(request(kReadPreset, 0, 104, 0)));
    const Bytes bytes = port->receive(100ms, 2s);
    // The last byte came in before the silence that ended the read.
    const auto elapsed = std::chrono::steady_clock::now() - sent - 100ms;
    ASSERT_EQ(bytes.size(), 106u);
    // 106 bytes of 10 bits at 115200 bit/s.
    EXPECT_GE(elapsed, 9ms);
}

TEST_F(PedalsimEndToEnd, StateFileKeepsTheAgreedSpeed) {
    const std::string path = folder.file("pedal.json");
    start({"--state", path});
    // A missing file is created from the factory state.
    json saved = json::parse(readFile(path), nullptr, false);
    ASSERT_TRUE(saved.is_object());
    EXPECT_EQ(saved["presets"].size(), 5u);
    EXPECT_EQ(saved["presets"]["0"].get<std::string>().substr(0, 48),
              hex(presetNamed("Octave Up")).substr(0, 48));
    EXPECT_EQ(saved["speed"], 115200);

    EXPECT_EQ(exchange(request(kSetBaud, 2, 0, 2000000)), reply(0));
    EXPECT_EQ(json::parse(readFile(path))["speed"], 2000000);

    port.reset();
    ASSERT_TRUE(sim->restart()) << sim->error();
    connect();
    EXPECT_TRUE(isLineNoise(exchange(request(kPresetInfo))));
    ASSERT_TRUE(port->setSpeed(2000000));
    EXPECT_EQ(exchange(request(kPresetInfo)), reply(0, {100, 104, 0}));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 4)).size(), 106u);
}

TEST_F(PedalsimEndToEnd, LeavesABrokenStateFileAlone) {
    const std::string path = folder.file("state.json");
    for (const std::string content :
         {"{ not json", R"({"presets": {"100": ""}})", R"({"presets": {"3": "00ff"}})",
          R"({"settings": {"midiChannel": -1}})", R"({"speed": 0})"}) {
        writeFile(path, content);
        Simulator bad({"--state", path}, 2s);
        EXPECT_FALSE(bad.running()) << content;
        EXPECT_EQ(readFile(path), content);
    }
}

TEST_F(PedalsimEndToEnd, NodeComesAndGoesWithThePedal) {
    start();
    struct stat info {};
    ASSERT_EQ(::lstat(sim->path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    port.reset();
    EXPECT_EQ(sim->kill(), 0);
    EXPECT_NE(::lstat(sim->path().c_str(), &info), 0);

    // A link left behind by a pedal that crashed is replaced.
    const std::string node = sim->dir() + "/cu.usbserial-SIM00001";
    ASSERT_EQ(::symlink("/nonexistent", node.c_str()), 0);
    ASSERT_TRUE(sim->restart()) << sim->error();
    connect();
    EXPECT_EQ(exchange(request(kPresetInfo)), reply(0, {100, 104, 0}));

    // Anything else at that name is not the pedal's to remove.
    port.reset();
    sim->kill();
    writeFile(node, "keep me");
    EXPECT_FALSE(sim->restart());
    EXPECT_EQ(readFile(node), "keep me");
}

TEST_F(PedalsimEndToEnd, ReopenedPortStartsClean) {
    start({"--latency", "60"});
    // A reply the host left unread when it closed the port is gone at the next open...
    ASSERT_TRUE(port->send(request(kWhoRU)));
    pollfd readable{port->fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&readable, 1, 2000), 1);
    port.reset();
    std::this_thread::sleep_for(20ms);
    connect();
    EXPECT_TRUE(port->receive(50ms).empty());
    // ...and so is one that arrived while the port was closed.
    ASSERT_TRUE(port->send(request(kWhoRU)));
    port.reset();
    std::this_thread::sleep_for(150ms);
    connect();
    EXPECT_TRUE(port->receive(50ms).empty());
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3}));

    // An exclusive claim ends with the session that made it. (Root may open a claimed
    // terminal anyway, so only an ordinary user can see the difference.)
    ASSERT_EQ(::ioctl(port->fd(), TIOCEXCL), 0);
    port.reset();
    std::this_thread::sleep_for(20ms);
    connect();
    EXPECT_EQ(exchange(request(kGetTmo, 0, 4)), reply(0, {2, 1, 2, 3}));
}

}  // namespace
}  // namespace harbrix::test
