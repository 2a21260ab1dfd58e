// The simulated pedal's preset commands on the wire: what each stores, what it refuses, and
// the slot maps of the state block and the state file that follow from them.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/HostPort.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kReadPreset = 0x11, kGetPreset = 0x12, kGetPresetName = 0x13,
                       kLocalControlX = 0x16, kWritePreset = 0x90, kSetPreset = 0x91,
                       kErasePreset = 0x92, kSetPresetName = 0x93;

Bytes reply(std::uint8_t error, const Bytes& payload = {}) {
    Bytes bytes(2 + payload.size(), 0);
    bytes[0] = error;
    std::copy(payload.begin(), payload.end(), bytes.begin() + 2);
    return bytes;
}

Bytes preset(const std::string& name, std::uint8_t fill) {
    Bytes bytes(104, fill);
    std::fill_n(bytes.begin(), 24, ' ');
    std::copy(name.begin(), name.end(), bytes.begin());
    return bytes;
}

Bytes text(const std::string& s) {
    Bytes bytes(s.begin(), s.end());
    bytes.push_back(0);
    return bytes;
}

class PresetCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        sim = std::make_unique<Simulator>(
            std::vector<std::string>{"--state", folder.file("state.json")});
        ASSERT_TRUE(sim->running()) << sim->error();
        port = std::make_unique<HostPort>(sim->path());
        ASSERT_TRUE(port->isOpen());
    }
    Bytes exchange(const Bytes& bytes) { return port->exchange(bytes, 50ms, 2s); }
    nlohmann::json state() {
        std::ifstream in(folder.file("state.json"));
        std::stringstream s;
        s << in.rdbuf();
        return nlohmann::json::parse(s.str());
    }
    // The edited and occupied maps of the state block, slots 0..7 only.
    std::pair<std::uint8_t, std::uint8_t> maps() {
        const Bytes block = exchange(request(kLocalControlX, 0, 3, 16));
        return {block.at(2 + 16), block.at(2 + 32)};
    }

    TempDir folder;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<HostPort> port;
};

TEST_F(PresetCommands, WritesAreCheckedBeforeTheyAreStored) {
    const Bytes lead = preset("Lead", 0x22);
    const struct {
        Bytes request;
        std::uint8_t error;
    } refused[] = {
        {request(kWritePreset, 0, 103, 6, Bytes(lead.begin(), lead.end() - 1)), 2},
        {request(kWritePreset, 1, 52, 6, lead), 2},
        {request(kWritePreset, 0, 104, 100, lead), 2},
        {request(kErasePreset, 0, 0, 100), 2},
        {request(kSetPreset, 0, 0, 100 + 256), 2},
        {request(kSetPresetName, 0, 3, 0, Bytes{'a', 'b', 'c'}), 2},  // no terminating 0
        {request(kSetPresetName, 0, 3, 0, Bytes{0xC3, 0xA9, 0}), 2},
        {request(kSetPresetName, 0, 2, 9, text("x")), 6},  // nothing to rename
        {request(kGetPresetName, 0, 0, 9), 6},
    };
    for (const auto& r : refused)
        EXPECT_EQ(exchange(r.request), reply(r.error)) << int(r.request[0]);
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 6)), reply(6)) << "nothing was stored";

    ASSERT_EQ(exchange(request(kWritePreset, 0, 104, 6, lead)), reply(0));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 6)), reply(0, lead));
    EXPECT_EQ(exchange(request(kGetPresetName, 0, 0, 6)),
              reply(0, text("Lead                    ")));
    const Bytes longName = text("A name longer than the field");
    ASSERT_EQ(exchange(request(kSetPresetName, 0, static_cast<std::uint16_t>(longName.size()), 6,
                               longName)),
              reply(0));
    Bytes renamed = preset("A name longer than the f", 0x22);
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 6)), reply(0, renamed))
        << "cut to 24, parameters kept";
    EXPECT_EQ(state()["presets"]["6"].get<std::string>().substr(0, 4), "4120")
        << "saved as it changes";
}

TEST_F(PresetCommands, SlotMapsFollowWritesErasuresAndLoads) {
    nlohmann::json edited = {{"presets", {{"2", std::string(208, '0')}}}, {"edited", {2, 3}}};
    sim.reset();
    std::ofstream(folder.file("state.json")) << edited.dump();
    SetUp();
    EXPECT_EQ(maps(), std::make_pair(std::uint8_t{0x0C}, std::uint8_t{0x04}));

    ASSERT_EQ(exchange(request(kWritePreset, 0, 104, 3, preset("Three", 1))), reply(0));
    EXPECT_EQ(maps(), std::make_pair(std::uint8_t{0x04}, std::uint8_t{0x0C}))
        << "a write saves the slot";
    ASSERT_EQ(exchange(request(kSetPreset, 0, 0, 2)), reply(0));
    EXPECT_EQ(maps().first, 0x04) << "selecting alone keeps the edit";
    EXPECT_EQ(exchange(request(kGetPreset, 0, 1, 0)), reply(0, {2}));
    ASSERT_EQ(exchange(request(kSetPreset, 0, 0, 3 + 256)), reply(0));
    EXPECT_EQ(exchange(request(kGetPreset, 0, 1, 0)), reply(0, {3}));
    ASSERT_EQ(exchange(request(kErasePreset, 0, 0, 2)), reply(0));
    EXPECT_EQ(exchange(request(kErasePreset, 0, 0, 2)), reply(0)) << "erasing an empty slot";
    EXPECT_EQ(maps(), std::make_pair(std::uint8_t{0x00}, std::uint8_t{0x08}));
    EXPECT_EQ(state()["selectedPreset"], 3);
    EXPECT_EQ(state()["edited"], nlohmann::json::array());
}

TEST_F(PresetCommands, OneSlotCanBeMadeToFail) {
    sim = std::make_unique<Simulator>(std::vector<std::string>{"--error", "READ_PRESET@1=5"});
    ASSERT_TRUE(sim->running()) << sim->error();
    port = std::make_unique<HostPort>(sim->path());
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 1)), reply(5));
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 0))[0], 0);
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 2))[0], 0);

    Simulator bad({"--error", "READ_PRESET@x=5"});
    EXPECT_FALSE(bad.running());
}

TEST_F(PresetCommands, OneRequestOfACommandCanBeMadeToFail) {
    sim = std::make_unique<Simulator>(std::vector<std::string>{
        "--state", folder.file("nth.json"), "--error", "WRITE_PRESET#2=5"});
    ASSERT_TRUE(sim->running()) << sim->error();
    port = std::make_unique<HostPort>(sim->path());
    const Bytes lead = preset("Lead", 1);
    EXPECT_EQ(exchange(request(kWritePreset, 0, 104, 4, lead)), reply(0));
    const Bytes write = request(kWritePreset, 0, 104, 5, lead);
    EXPECT_EQ(exchange(write), reply(5)) << "the second write fails, and stores nothing";
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 5)), reply(6));
    EXPECT_EQ(exchange(write), reply(0)) << "the third goes through again";
    EXPECT_EQ(exchange(request(kReadPreset, 0, 104, 5)), reply(0, lead));

    for (const char* wrong : {"WRITE_PRESET#0=5", "WRITE_PRESET#=5", "WRITE_PRESET#2x=5"}) {
        Simulator bad({"--error", wrong});
        EXPECT_FALSE(bad.running()) << wrong;
    }
}

}  // namespace
}  // namespace harbrix::test
