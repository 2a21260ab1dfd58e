// Preset operations against a scripted pedal: the bytes they send, the slots they refuse
// without an exchange, and what they do to the preset cache and the delegate.
#include <gtest/gtest.h>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"
#include "support/PresetEvents.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

class DevicePresetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QORUARTDevice::setDelegate(&delegate);
        pedal.presets[3] = test::presetBytes("Three", 3);
        device = pedal.bringUp();
        ASSERT_TRUE(device);
        sent = line().writes().size();
    }
    test::ScriptedLine& line() { return *pedal.line(); }
    // The requests written since the last call.
    std::vector<Bytes> newRequests() {
        const auto writes = line().writes();
        std::vector<Bytes> fresh(writes.begin() + static_cast<std::ptrdiff_t>(sent), writes.end());
        sent = writes.size();
        return fresh;
    }
    std::shared_ptr<Preset> preset(const std::string& name, std::uint8_t seed = 1) {
        return Preset::presetWithSerialized(test::presetBytes(name, seed), device.get());
    }

    void TearDown() override { QORUARTDevice::setDelegate(nullptr); }

    // Declared first so that it outlives the main loop, which may still be delivering to it.
    test::RecordingDelegate delegate;
    test::MainLoopThread mainLoop;
    test::ScriptedPedal pedal;
    std::shared_ptr<QORUARTDevice> device;
    std::size_t sent = 0;
};

TEST_F(DevicePresetsTest, SlotsPastTheSchemaNeverReachThePedal) {
    const auto good = preset("Good");
    // In an order where each one can succeed on the last slot.
    const std::pair<const char*, std::function<bool(std::size_t)>> operations[] = {
        {"preset", [&](std::size_t s) { return presets(device).read(s) != nullptr; }},
        {"writePreset", [&](std::size_t s) { return presets(device).write(good, s); }},
        {"presetName", [&](std::size_t s) { return presets(device).name(s).has_value(); }},
        {"setPresetName", [&](std::size_t s) { return presets(device).setName("Name", s); }},
        {"selectPreset", [&](std::size_t s) { return presets(device).select(s, true); }},
        {"refreshPreset",
         [&](std::size_t s) {
             presets(device).refreshPreset(s);
             return presets(device).cached(s) != nullptr;
         }},
        {"erasePreset", [&](std::size_t s) { return presets(device).erase(s); }},
    };
    std::vector<std::string> logged;
    LogCapture capture([&](const std::string& l) { logged.push_back(l); });
    for (const auto& [name, operation] : operations) {
        for (const std::size_t slot :
             {std::size_t{100}, std::size_t{255}, std::size_t{256}, std::size_t{1000}}) {
            EXPECT_FALSE(operation(slot)) << name << " " << slot;
            EXPECT_TRUE(newRequests().empty()) << name << " " << slot;
        }
        EXPECT_TRUE(operation(99)) << name << " reaches the last slot";
        EXPECT_FALSE(newRequests().empty()) << name;
    }
    EXPECT_TRUE(std::none_of(logged.begin(), logged.end(), [](const std::string& l) {
        return l.find("erase failed") != std::string::npos;
    })) << "a refused slot is not an erase failure";
}

TEST_F(DevicePresetsTest, ReadsTellEmptySlotsFromFailures) {
    const auto occupied = presets(device).read(3);
    ASSERT_TRUE(occupied);
    EXPECT_EQ(occupied->serialized(), pedal.presets[3]);
    EXPECT_FALSE(occupied->empty());
    EXPECT_EQ(newRequests().back(), *buildRequest(Command::READ_PRESET, 0, 104, 3));

    const auto empty = presets(device).read(4);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    pedal.unreadable.insert(3);
    EXPECT_FALSE(presets(device).read(3));
    pedal.presets[5] = Bytes(103, 0);  // short of a preset
    EXPECT_FALSE(presets(device).read(5));
    EXPECT_TRUE(presets(device).isloaded());
    EXPECT_EQ(newRequests().back(), *buildRequest(Command::GET_PRESET, 0, 1, 0));
}

TEST_F(DevicePresetsTest, WriteCachesASavedCopyAndAnnouncesOnce) {
    auto edited = preset("Edited", 7);
    edited->setValue("levelDry", 9);  // written as it is now
    ASSERT_TRUE(presets(device).write(edited, 12));
    const auto request = newRequests().back();
    EXPECT_EQ(request, *buildRequest(Command::WRITE_PRESET, 0, 104, 12, edited->serialized()));
    EXPECT_EQ(pedal.presets[12], edited->serialized());

    const auto cached = presets(device).cached(12);
    ASSERT_TRUE(cached);
    EXPECT_NE(cached, edited) << "the caller keeps its own object";
    EXPECT_TRUE(*cached == *edited);
    EXPECT_FALSE(cached->dirty());
    EXPECT_FALSE(cached->canUndo());
    EXPECT_EQ(test::presetAnnouncements(delegate, *device), (std::map<std::size_t, int>{{12, 1}}));

    // Wrong length for the schema: nothing is sent and the cache keeps what it had.
    const auto longer = Preset::presetWithSerialized(Bytes(105, 1), device.get());
    EXPECT_FALSE(presets(device).write(longer, 12));
    EXPECT_FALSE(presets(device).write(nullptr, 12));
    EXPECT_TRUE(newRequests().empty());
    pedal.errors[Command::WRITE_PRESET] = 4;
    EXPECT_FALSE(presets(device).write(preset("Refused"), 12));
    EXPECT_EQ(presets(device).cached(12), cached);
}

TEST_F(DevicePresetsTest, EraseFailureIsLoggedAndLeavesTheCache) {
    const auto before = preset("Kept");
    presets(device).setCached(before, 3);
    pedal.errors[Command::ERASE_PRESET] = 4;
    std::vector<std::string> logged;
    {
        LogCapture capture([&](const std::string& l) { logged.push_back(l); });
        EXPECT_FALSE(presets(device).erase(3));
    }
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "erase failed (3)"), 1);
    EXPECT_EQ(presets(device).cached(3), before);

    pedal.errors.clear();
    ASSERT_TRUE(presets(device).erase(3));
    EXPECT_EQ(newRequests().back(), *buildRequest(Command::ERASE_PRESET, 0, 0, 3));
    EXPECT_FALSE(pedal.presets.count(3));
    ASSERT_TRUE(presets(device).cached(3));
    EXPECT_TRUE(presets(device).cached(3)->empty());
    EXPECT_EQ(test::presetAnnouncements(delegate, *device), (std::map<std::size_t, int>{{3, 1}}));
}

TEST_F(DevicePresetsTest, NamesTravelAsSanitisedAscii) {
    EXPECT_EQ(presets(device).name(3), "Three");
    EXPECT_FALSE(presets(device).name(4)) << "empty slot";

    ASSERT_TRUE(presets(device).setName("a~b", 3));
    EXPECT_EQ(newRequests().back(),
              *buildRequest(Command::SET_PRESET_NAME, 0, 4, 3, Bytes{'a', '-', 'b', 0}));
    ASSERT_TRUE(presets(device).setName("Caf\xC3\xA9 Bleu", 3));
    EXPECT_EQ(newRequests().back(),
              *buildRequest(Command::SET_PRESET_NAME, 0, 9, 3,
                            Bytes{'C', 'a', 'f', ' ', 'B', 'l', 'e', 'u', 0}));
    // Nothing left to send: refused, where the pedal would blank the name.
    EXPECT_FALSE(presets(device).setName("", 3));
    EXPECT_FALSE(presets(device).setName("\xC3\xA9\xC3\xA9", 3));
    EXPECT_TRUE(newRequests().empty());
    EXPECT_EQ(presets(device).cached(3), nullptr) << "naming leaves the cache alone";
}

TEST_F(DevicePresetsTest, SelectingWritesTheSelectedPresetWordFirst) {
    ASSERT_TRUE(presets(device).select(5, true));
    const auto requests = newRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              *buildRequest(Command::POKEC, 2, 1, test::ScriptedPedal::kSelectedPresetAddress,
                            Bytes{5, 0, 0, 0}));
    EXPECT_EQ(requests[1], *buildRequest(Command::SET_PRESET, 0, 0, 261));
    ASSERT_TRUE(presets(device).select(7));
    EXPECT_EQ(newRequests().back(), *buildRequest(Command::SET_PRESET, 0, 0, 7));
    EXPECT_EQ(presets(device).selected(), 7);
    EXPECT_EQ(newRequests().back()[0], Command::PEEKC);

    // The word could not be written: the pedal is not told to switch.
    pedal.errors[Command::POKEC] = 2;
    EXPECT_FALSE(presets(device).selectAndLoad(9));
    EXPECT_EQ(newRequests().size(), 1u);
}

TEST_F(DevicePresetsTest, ANaxHasNoSelectedPresetWordAndNoPresetEditing) {
    test::ScriptedPedal nax("NAX3");
    const auto other = nax.bringUp();
    ASSERT_TRUE(other);
    const auto before = nax.line()->writes().size();
    EXPECT_FALSE(presets(other).select(1));
    EXPECT_FALSE(presets(other).selected());
    EXPECT_EQ(nax.line()->writes().size(), before);
    EXPECT_FALSE(presets(other).supportsPresetEditing());
    EXPECT_TRUE(presets(device).supportsPresetEditing());

    const struct {
        std::set<std::uint8_t> commands;
        bool editing;
    } cases[] = {
        {{16, 17, 18, 19, 144, 145, 146, 147}, true},
        {{1, 13, 16, 17, 18, 19, 144, 145, 146}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        test::ScriptedPedal scripted;
        scripted.commands = c.commands;
        scripted.commands.insert({1, 5, 16, 149});  // bring-up's own
        const auto d = scripted.bringUp();
        ASSERT_TRUE(d);
        EXPECT_EQ(presets(d).supportsPresetEditing(), c.editing) << c.commands.size();
    }
    QORUARTDevice unopened("cu.usbserial-X", "MIV3", "");
    EXPECT_FALSE(presets(unopened).supportsPresetEditing()) << "no commands known yet";
}

TEST_F(DevicePresetsTest, CacheKeysMayBeNumbersOrText) {
    const auto cached = preset("Ten");
    presets(device).setCached(cached, 10);
    EXPECT_EQ(presets(device).cached("0x0A"), cached);
    EXPECT_EQ(presets(device).cached("0X0a"), cached);
    EXPECT_EQ(presets(device).cached("10"), cached);
    EXPECT_EQ(presets(device).cached("ten"), nullptr);
    EXPECT_EQ(presets(device).cached(11), nullptr);

    const auto other = preset("Eleven");
    EXPECT_TRUE(presets(device).setCached(other, "0xB"));
    EXPECT_EQ(presets(device).cached(11), other) << "the object itself, not a copy";
    EXPECT_FALSE(presets(device).setCached(other, "eleven"));
    EXPECT_FALSE(presets(device).setCached(nullptr, "12"));
    EXPECT_EQ(presets(device).cached(12), nullptr);
}

}  // namespace
}  // namespace harbrix
