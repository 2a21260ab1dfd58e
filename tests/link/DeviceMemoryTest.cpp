// Peeks, pokes, the settings words, the factory reset and the control commands against a
// scripted pedal: the bytes that go out, what comes back, and what is never sent.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <map>
#include <thread>

#include "link/Commands.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "support/ScriptedBringUp.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using test::okReply;
using test::ScriptedLine;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBase = 0x1190078C;  // firmware 42
constexpr std::uint32_t kChannel = kBase + 4, kThru = kBase + 8, kKeyboard = kBase + 12,
                        kPitchWheel = kBase + 16, kContrast = kBase + 20, kHomeview = kBase + 24,
                        kNameCrawl = kBase + 28, kFactoryReset = kBase + 32;

Bytes header(std::uint8_t command, std::uint8_t size, std::uint32_t count, std::uint32_t argument,
             const Bytes& payload = {}) {
    return payload.empty() ? *buildRequest(command, size, count, argument)
                           : *buildRequest(command, size, count, argument, payload);
}

std::uint32_t word(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// A1 A2 A3 ...
Bytes counting(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(0xA1 + i);
    return bytes;
}

Bytes wordBytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

struct SettingsSpy : DeviceDelegate {
    std::vector<SettingsBlock> notices;
    void deviceIsConnected(const DeviceRef&) override {}
    void deviceHasBeenDisconnected(const DeviceRef&) override {}
    void deviceHasUpdatedPresetAtIndex(const DeviceRef&, std::size_t) override {}
    void deviceInternalStateChanged(const DeviceRef&, const std::string&) override {}
    void deviceHasUpdatedSettings(const DeviceRef&, const SettingsBlock& settings) override {
        notices.push_back(settings);
    }
    std::shared_ptr<void> deviceBeganFullRefresh(const DeviceRef&) override { return nullptr; }
    void deviceEndedFullRefresh(const DeviceRef&, const std::shared_ptr<void>&) override {}
    DeviceRef currentDevice() override { return nullptr; }
};

class DeviceMemoryTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedLine> line = std::make_shared<ScriptedLine>();
    std::shared_ptr<QORUARTDevice> device;
    std::size_t mark = 0;
    // Word-addressed RAM behind PEEKC/POKEC; `reply` overrides every answer when set.
    std::map<std::uint32_t, std::uint32_t> ram;
    std::optional<std::function<std::optional<Bytes>(const Bytes&)>> reply;

    void bringUp(const std::string& model = "MIV3") {
        device = test::scriptedDevice(line, model, model == "MIV3" ? "42.1.0" : "2.0.1",
                                      [this](const Bytes& request) { return answer(request); });
        ASSERT_TRUE(device);
        mark = line->writes().size();
    }
    void SetUp() override { bringUp(); }

    std::optional<Bytes> answer(const Bytes& request) {
        if (reply) return (*reply)(request);
        if (request[0] == Command::PEEKC) {
            Bytes payload;
            const std::size_t count = request[2] | request[3] << 8;
            for (std::size_t i = 0; i < count; ++i) {
                const auto bytes =
                    wordBytes(ram[word(request, 4) + 4 * static_cast<std::uint32_t>(i)]);
                payload.insert(payload.end(), bytes.begin(), bytes.end());
            }
            return okReply(payload);
        }
        if (request[0] == Command::POKEC && request.size() >= 12)
            ram[word(request, 4)] = word(request, 8);
        return okReply();
    }

    std::vector<Bytes> sent() const {
        const auto all = line->writes();
        return {all.begin() + static_cast<std::ptrdiff_t>(mark), all.end()};
    }
};

TEST_F(DeviceMemoryTest, EachWidthPeeksAndPokesLittleEndian) {
    const struct {
        std::uint8_t sizeCode;
        std::size_t width;
        std::function<std::uint64_t(QORUARTDevice&)> peek;
        std::function<bool(QORUARTDevice&)> poke;  // 0x...A3A2A1
    } cases[] = {
        {0, 1, [](auto& d) { return d.ram().peekByteAtAddress(kContrast); },
         [](auto& d) { return d.ram().pokeByte(0xA1, kContrast); }},
        {1, 2, [](auto& d) { return d.ram().peekShortAtAddress(kContrast); },
         [](auto& d) { return d.ram().pokeShort(0xA2A1, kContrast); }},
        {2, 4, [](auto& d) { return d.ram().peekIntAtAddress(kContrast); },
         [](auto& d) { return d.ram().pokeInt(0xA4A3A2A1, kContrast); }},
        {3, 8, [](auto& d) { return d.ram().peekLongAtAddress(kContrast); },
         [](auto& d) { return d.ram().pokeLong(0xA8A7A6A5A4A3A2A1, kContrast); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        // The payload A1 A2 ... in every length around the width: a short one reads as 0.
        for (const std::size_t length : {c.width - 1, c.width, c.width + 2}) {
            reply = [&](const Bytes&) { return okReply(counting(length)); };
            mark = line->writes().size();
            const std::uint64_t all = 0xA8A7A6A5A4A3A2A1;
            EXPECT_EQ(c.peek(*device), length < c.width ? 0 : all & (~0ull >> (64 - 8 * c.width)));
            EXPECT_EQ(sent(), std::vector<Bytes>{header(Command::PEEKC, c.sizeCode, 1, kContrast)});
        }
        reply = [](const Bytes&) { return std::nullopt; };
        EXPECT_EQ(c.peek(*device), 0u);
        EXPECT_FALSE(c.poke(*device));

        reply = [](const Bytes&) { return okReply(); };
        mark = line->writes().size();
        EXPECT_TRUE(c.poke(*device));
        EXPECT_EQ(sent(), std::vector<Bytes>{
                              header(Command::POKEC, c.sizeCode, 1, kContrast, counting(c.width))});
        reply = [](const Bytes&) { return Bytes{2, 0}; };
        EXPECT_FALSE(c.poke(*device));
    }
}

TEST_F(DeviceMemoryTest, SettingsAccessorsUseTheirWords) {
    ram = {{kChannel, 16}, {kThru, 0x100}, {kKeyboard, 1},
           {kContrast, 7}, {kHomeview, 3}, {kNameCrawl, 0xFF01}};
    EXPECT_EQ(device->ram().midiChannel(), 16u);
    EXPECT_FALSE(device->ram().midiThru());  // only the low byte counts
    EXPECT_TRUE(device->ram().midiKeyboard());
    EXPECT_EQ(device->ram().contrast(), 7u);
    EXPECT_EQ(device->ram().homeview(), 3u);
    EXPECT_TRUE(device->ram().nameCrawlEnabled());

    device->ram().setMidiChannel(9);
    device->ram().setMidiThru(true);
    device->ram().setNameCrawlEnabled(false);
    EXPECT_EQ(ram[kChannel] * 100 + ram[kThru] * 10 + ram[kNameCrawl], 910u);
}

TEST_F(DeviceMemoryTest, RefreshReadsSevenWordsAndTellsOnlyOfChanges) {
    SettingsSpy spy;
    QORUARTDevice::setDelegate(&spy);
    ram = {{kChannel, 3},  {kThru, 1},     {kKeyboard, 0}, {kPitchWheel, 2},
           {kContrast, 8}, {kHomeview, 1}, {kNameCrawl, 1}};
    device->ram().refreshSettings();
    EXPECT_EQ(sent(), std::vector<Bytes>{header(Command::PEEKC, 2, 7, kChannel)});
    device->ram().refreshSettings();
    Rails::main()->drain();
    const SettingsBlock expected{3, 1, 0, 2, 8, 1, 1};
    EXPECT_EQ(spy.notices, std::vector<SettingsBlock>{expected});
    EXPECT_EQ(device->ram().settings(), expected);

    // 27 bytes are not seven words: nothing is believed.
    reply = [](const Bytes&) { return okReply(Bytes(27, 9)); };
    EXPECT_FALSE(device->ram().readSettings());
    device->ram().refreshSettings();
    Rails::main()->drain();
    EXPECT_EQ(spy.notices.size(), 1u);
    EXPECT_EQ(device->ram().settings(), expected);
    QORUARTDevice::setDelegate(nullptr);
}

TEST_F(DeviceMemoryTest, PedalWithoutMemoryMapIsSentNothing) {
    bringUp("NAX3");
    ASSERT_FALSE(device->memory());
    ram = {{kChannel, 5}, {kThru, 1}};
    EXPECT_EQ(device->ram().midiChannel() + device->ram().contrast() + device->ram().homeview(),
              0u);
    EXPECT_FALSE(device->ram().midiThru() || device->ram().midiKeyboard() ||
                 device->ram().nameCrawlEnabled());
    device->ram().setMidiChannel(1);
    device->ram().setNameCrawlEnabled(true);
    EXPECT_FALSE(device->ram().readSettings());
    device->ram().refreshSettings();
    EXPECT_FALSE(device->ram().resetToFactoryDefaults(PedalMemory::kRestoreEverything));
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(device->line().resetting());
}

TEST_F(DeviceMemoryTest, FactoryResetWaitsForPresetsAndAlwaysEndsItsRefusal) {
    const struct {
        std::uint32_t mask;
        std::optional<Bytes> answer;
        bool result, waits;
    } cases[] = {
        {1, okReply(), true, true},     {1 | 8, okReply(), true, true},
        {8, okReply(), true, false},    {16, okReply(), true, false},
        {8, Bytes{3, 0}, false, false}, {1, std::nullopt, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        reply = [&c](const Bytes&) { return c.answer; };
        mark = line->writes().size();
        const auto start = Clock::now();
        EXPECT_EQ(device->ram().resetToFactoryDefaults(c.mask), c.result);
        EXPECT_EQ(Clock::now() - start >= std::chrono::milliseconds(500), c.waits);
        EXPECT_FALSE(device->line().resetting());
        EXPECT_EQ(sent(), std::vector<Bytes>{
                              header(Command::POKEC, 2, 1, kFactoryReset, wordBytes(c.mask))});
    }
    reply.reset();

    // A reset asked for with a plain poke ends its refusal the same way.
    EXPECT_TRUE(device->ram().pokeByte(PedalMemory::kRestoreMIDI, kFactoryReset));
    EXPECT_FALSE(device->line().resetting());

    // A raw transaction leaves the engine refusing everything; the next reset cannot get its
    // poke through, but still ends the refusal.
    device->execute(Command::POKEC, header(Command::POKEC, 2, 1, kFactoryReset, wordBytes(8)));
    ASSERT_TRUE(device->line().resetting());
    EXPECT_FALSE(device->ram().resetToFactoryDefaults(PedalMemory::kRestoreDisplay));
    EXPECT_FALSE(device->line().resetting());
}

TEST_F(DeviceMemoryTest, NothingElsePassesWhileResetting) {
    // From inside the exchange (the same thread) and from another thread during the wait.
    std::promise<void> poked;
    bool refusedInside = false;
    reply = [&](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] == Command::POKEC) {
            refusedInside = device->line().resetting() &&
                            !device->execute(Command::GET_CMDS, header(Command::GET_CMDS, 0, 0, 0));
            poked.set_value();
        }
        return okReply({1, 0});
    };
    std::thread reset(
        [&] { EXPECT_TRUE(device->ram().resetToFactoryDefaults(PedalMemory::kRestorePresets)); });
    poked.get_future().wait();
    EXPECT_FALSE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS, 0, 0, 0)));
    EXPECT_FALSE(device->ram().pokeInt(1, kContrast));
    reset.join();
    EXPECT_TRUE(refusedInside);
    EXPECT_EQ(line->commandsWritten().size(), mark + 1);
    EXPECT_TRUE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS, 0, 0, 0)));
}

TEST_F(DeviceMemoryTest, ControlCommandsSendTheirFrames) {
    const struct {
        const char* name;
        std::function<bool(QORUARTDevice&)> run;
        Bytes frame;
        std::optional<Bytes> answer;
        bool result;
    } cases[] = {
        {"suspend", [](QORUARTDevice& d) { return d.control().suspend(); },
         header(Command::SUSPENDC, 0, 0, 3), okReply(), true},
        {"recover silent", [](QORUARTDevice& d) { return d.control().recover(); },
         header(Command::RECOVERC, 0, 0, 0), std::nullopt, false},
        {"reboot silent", [](QORUARTDevice& d) { return d.control().reboot(); },
         header(Command::REBOOTC, 0, 0, 0), std::nullopt, true},
        {"reboot refused", [](QORUARTDevice& d) { return d.control().reboot(); },
         header(Command::REBOOTC, 0, 0, 0), Bytes{4, 0}, false},
        {"effect on", [](QORUARTDevice& d) { return d.control().setEffectEnabled(true); },
         Bytes{0xF2, 0, 3, 0, 0, 0, 0, 0, 0xB0, 0x4F, 0x7F}, okReply(), true},
        {"effect off", [](QORUARTDevice& d) { return d.control().setEffectEnabled(false); },
         Bytes{0xF2, 0, 3, 0, 0, 0, 0, 0, 0xB0, 0x4F, 0x00}, okReply(), true},
    };
    for (const auto& c : cases) {
        reply = [&c](const Bytes&) { return c.answer; };
        mark = line->writes().size();
        EXPECT_EQ(c.run(*device), c.result) << c.name;
        EXPECT_EQ(sent(), std::vector<Bytes>{c.frame}) << c.name;
    }
}

TEST_F(DeviceMemoryTest, MIDIJamSendsTheResourceOrNothing) {
    test::TempDir resources;
    setenv("HARBRIX_RESOURCES", resources.path().c_str(), 1);
    const std::string payload = resources.file("midi-jam-test-payload.bin");
    const auto jam = [&](std::optional<std::string> content) {
        if (content) std::ofstream(payload, std::ios::binary | std::ios::trunc) << *content;
        mark = line->writes().size();
        return device->control().MIDIJam();
    };
    EXPECT_FALSE(jam(std::nullopt));
    EXPECT_FALSE(jam(""));
    EXPECT_FALSE(jam(std::string(65536, '\x90')));  // cannot be framed
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(jam(std::string("\x90\x3c\x64", 3)));
    EXPECT_EQ(sent(), (std::vector<Bytes>{Bytes{0xF2, 0, 3, 0, 0, 0, 0, 0, 0x90, 0x3C, 0x64}}));
    unsetenv("HARBRIX_RESOURCES");
}

}  // namespace
}  // namespace harbrix
