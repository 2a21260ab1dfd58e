// Discovery passes, the registry and the announcements, with the USB inventory scripted by a
// file the test rewrites, device nodes as plain files in a temporary device root, and each
// pedal's line scripted. The main rail runs on a thread of its own, as in the application.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "devices/DeviceRails.h"
#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "platform/Paths.h"
#include "support/DeviceEvents.h"
#include "support/ScriptedLine.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::okReply;
using test::RecordingDelegate;
using test::ScriptedLine;
using test::textReply;

// A MIV3 whose state block says MIDI channel 3 and slots 0 and 2 occupied.
std::optional<Bytes> pedal(const Bytes& request) {
    switch (request[0]) {
        case Command::WHO_RU:
            return textReply("QOR,,MIV3,,42.1.0");
        case Command::GET_CMDS:
            return okReply({1, 5, 13, 16, 17, 18, 19, 22});
        case Command::GET_TMO:
            return okReply({2, 1, 2, 3});
        case Command::PRESET_INFO:
            return okReply({100, 104, 0});
        case Command::LOCAL_CONTROLX: {
            Bytes block(48, 0);
            block[5] = 3;
            block[32] = 0b101;
            return okReply(block);
        }
        case Command::READ_PRESET:
            return okReply(Bytes(104, 0x20));
        default:
            return okReply();
    }
}

std::vector<std::uint32_t> presetReads(const ScriptedLine& line) {
    std::vector<std::uint32_t> slots;
    for (const Bytes& write : line.writes())
        if (write.size() >= 8 && write[0] == Command::READ_PRESET)
            slots.push_back(write[4] | write[5] << 8 | write[6] << 16 |
                            std::uint32_t(write[7]) << 24);
    return slots;
}

class Discovery : public ::testing::Test {
  protected:
    // Declared first so that it outlives the main loop, which may still be delivering to it.
    RecordingDelegate delegate;
    test::MainLoopThread loop;
    test::TempDir dir{"discovery"};
    std::string dev = dir.file("dev");
    std::string inventory = dir.file("inventory.json");
    json records = json::array();
    std::mutex linesMutex;
    std::map<std::string, std::shared_ptr<ScriptedLine>> lines;
    // Pedals behind these nodes answer nothing until the test says so.
    std::set<std::string> mute;

    void SetUp() override {
        ASSERT_TRUE(createDirectories(dev));
        setenv("HARBRIX_DEV_ROOT", dev.c_str(), 1);
        setenv("HARBRIX_USB_INVENTORY", ("cat '" + inventory + "'").c_str(), 1);
        setenv("HOME", dir.file("home").c_str(), 1);
        setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
        writeInventory();
        DeviceRegistry::setLineFactory([this](const std::string& filename) {
            auto line = std::make_shared<ScriptedLine>();
            std::lock_guard lock(linesMutex);
            line->setResponder(
                mute.count(filename) != 0
                    ? ScriptedLine::Responder([](const Bytes&) { return std::nullopt; })
                    : ScriptedLine::Responder(pedal));
            lines[filename] = line;
            return line;
        });
        delegate.setMainThread(loop.id());
        QORUARTDevice::setDelegate(&delegate);
    }

    void TearDown() override {
        DeviceRegistry::resetRegistry();
        DeviceRegistry::setLineFactory(nullptr);
        test::MainLoopThread::settle();
        unsetenv("HARBRIX_USB_INVENTORY");
        unsetenv("HARBRIX_DEV_ROOT");
    }

    std::shared_ptr<ScriptedLine> line(const std::string& serial) {
        std::lock_guard lock(linesMutex);
        return lines["cu.usbserial-" + serial];
    }

    void writeInventory() {
        const json report{
            {"SPUSBDataType", json::array({{{"_name", "USB31Bus"}, {"_items", records}}})}};
        std::ofstream(inventory) << report.dump();
    }

    static json record(const std::string& serial, const std::string& name = "MIV3") {
        return {{"_name", name},
                {"manufacturer", "QOR"},
                {"serial_num", serial},
                {"vendor_id", "0x3a4d"},
                {"product_id", "0x0601"}};
    }

    void touch(const std::string& name) { std::ofstream(dev + "/" + name) << ""; }

    void plug(const std::string& serial) {
        touch("cu.usbserial-" + serial);
        records.push_back(record(serial));
        writeInventory();
    }

    void unplug(const std::string& serial) {
        std::filesystem::remove(dev + "/cu.usbserial-" + serial);
        for (auto it = records.begin(); it != records.end(); ++it)
            if ((*it)["serial_num"] == serial) {
                records.erase(it);
                break;
            }
        writeInventory();
    }

    // One discovery pass on the check rail, then everything it posted to the main rail.
    void pass() {
        railSync(DeviceRails::check(), [] { DeviceRegistry::check(); });
        test::MainLoopThread::settle();
    }

    std::size_t count(const std::string& kind, const std::string& serial = "") const {
        return delegate.count(kind, serial);
    }

    // The device announced for this serial; its other calls may arrive in any order around it.
    DeviceRef connected(const std::string& serial) const {
        for (const auto& call : delegate.calls())
            if (call.kind == "connected" && call.serial == serial) return call.device;
        return nullptr;
    }
};

TEST_F(Discovery, APedalIsAnnouncedOnceAndItsLossOnce) {
    plug("A1");
    pass();
    pass();
    EXPECT_EQ(count("connected", "A1"), 1u);

    // The initial synchronisation: occupied slots read in order, then the settings reported.
    ASSERT_TRUE(
        delegate.waitFor([](const RecordingDelegate& d) { return d.count("settings") == 1; }));
    const auto calls = delegate.calls();
    const auto device = calls.front().device;
    EXPECT_EQ(device->name(), "MIV3");
    EXPECT_EQ(presetReads(*line("A1")), (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(device->ram().settings().midiChannel, 3u);
    EXPECT_FALSE(presets(device).refreshing());
    for (const auto& call : calls) EXPECT_TRUE(call.onMain) << call.kind;

    unplug("A1");
    pass();
    pass();
    EXPECT_EQ(count("disconnected", "A1"), 1u);
    EXPECT_EQ(count("connected", "A1"), 1u);

    // Its queue is stopped for good.
    auto ran = std::make_shared<std::promise<void>>();
    rail(device->queue(), [ran] { ran->set_value(); });
    EXPECT_EQ(ran->get_future().wait_for(100ms), std::future_status::timeout);

    plug("A1");
    pass();
    EXPECT_EQ(count("connected", "A1"), 2u);
}

TEST_F(Discovery, AnUnusableRecordHidesOnlyItsOwnPedal) {
    plug("A1");
    plug("B2");
    pass();
    ASSERT_EQ(count("connected"), 2u);

    json noName = record("C3");
    noName.erase("_name");
    json zeroVendor = record("C3");
    zeroVendor["vendor_id"] = "0x0000";
    json noProduct = record("C3");
    noProduct.erase("product_id");
    struct Case {
        const char* what;
        json record;
        bool node;
    };
    const Case cases[] = {
        // On Linux the USB record comes a moment before udev makes the node.
        {"a pedal without its node yet", record("C3"), false},
        {"a record without a name", noName, true},
        {"a zero vendor id", zeroVendor, true},
        {"no product id", noProduct, true},
    };
    for (const Case& c : cases) {
        if (c.node) touch("cu.usbserial-C3");
        records.push_back(c.record);
        writeInventory();
        pass();
        EXPECT_EQ(count("disconnected"), 0u) << c.what;
        EXPECT_EQ(count("connected"), 2u) << c.what;

        records.erase(records.size() - 1);
        writeInventory();
        std::filesystem::remove(dev + "/cu.usbserial-C3");
    }
    // The node arrives: the third pedal joins the other two.
    plug("C3");
    pass();
    EXPECT_EQ(count("connected", "C3"), 1u);
    EXPECT_EQ(count("disconnected"), 0u);
}

TEST_F(Discovery, APassThatCannotReadChangesNothing) {
    plug("A1");
    plug("B2");
    pass();
    ASSERT_EQ(count("connected"), 2u);

    for (const char* broken : {"", "not json", R"({"other": []})"}) {
        std::ofstream(inventory) << broken;
        pass();
        EXPECT_EQ(count("disconnected"), 0u) << broken;
    }
    std::filesystem::remove(inventory);
    pass();
    setenv("HARBRIX_DEV_ROOT", dir.file("no such folder").c_str(), 1);
    writeInventory();
    pass();
    EXPECT_EQ(count("disconnected"), 0u);
    setenv("HARBRIX_DEV_ROOT", dev.c_str(), 1);
    pass();
    EXPECT_EQ(count("connected"), 2u) << "nothing went, so nothing comes back";

    // A pedal that really left is reported by the first clean pass without it.
    std::filesystem::remove(inventory);
    unplug("B2");
    std::filesystem::remove(inventory);
    pass();
    EXPECT_EQ(count("disconnected"), 0u);
    writeInventory();
    pass();
    EXPECT_EQ(count("disconnected", "B2"), 1u);
    EXPECT_EQ(count("disconnected", "A1"), 0u);
}

TEST_F(Discovery, NodesWithoutASerialAreNotPedals) {
    for (const char* name :
         {"cu.usbserial-", "cu.qorMIV3-", "tty.usbserial-A1", "cu.usbserial-A1.lock"})
        touch(name);
    records.push_back(record("A1"));
    writeInventory();
    pass();
    EXPECT_EQ(count("connected"), 0u) << "the record has no node of its own";

    touch("cu.qorMIV3-A1");
    pass();
    ASSERT_EQ(count("connected"), 1u);
    EXPECT_EQ(delegate.calls().front().device->filename(), "cu.qorMIV3-A1");
}

TEST_F(Discovery, APedalThatCannotBeBroughtUpIsToldAboutNotAnnounced) {
    {
        std::lock_guard lock(linesMutex);
        mute.insert("cu.usbserial-M1");
    }
    plug("M1");
    pass();
    pass();
    EXPECT_EQ(count("connected"), 0u);
    EXPECT_EQ(count("failures"), 1u) << "told once, not on every pass";
    const auto failures = delegate.failures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].name, "MIV3");
    EXPECT_EQ(failures[0].serial, "M1");
    EXPECT_EQ(failures[0].reason, "it does not answer");

    // It answers now: the next pass brings it up and the failure is gone.
    {
        std::lock_guard lock(linesMutex);
        mute.clear();
    }
    pass();
    EXPECT_EQ(count("connected", "M1"), 1u);
    EXPECT_TRUE(delegate.failures().empty());
    EXPECT_EQ(count("failures"), 2u);
}

TEST_F(Discovery, APedalGoneBeforeTheMainRailHeardOfItIsNeverAnnounced) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    rail(Rails::main(), [released] { released.wait(); });
    plug("A1");
    railSync(DeviceRails::check(), [] { DeviceRegistry::check(); });
    unplug("A1");
    railSync(DeviceRails::check(), [] { DeviceRegistry::check(); });
    release.set_value();
    test::MainLoopThread::settle();
    EXPECT_TRUE(delegate.calls().empty());
}

TEST_F(Discovery, DevicesGetTheirCacheFileAndHistoryInDebugMode) {
    ASSERT_TRUE(createDirectories(dir.file("home/Desktop")));
    std::ofstream(dir.file("home/Desktop/Harbrix.debug")) << "";
    plug("A1");
    pass();
    ASSERT_EQ(count("connected"), 1u);
    const DeviceRef first = connected("A1");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->line().history().enabled());
    railSync(Rails::disk(), [] {});
    EXPECT_TRUE(fileExists(deviceCacheDirectory() + "/A1.plist"));

    std::filesystem::remove(dir.file("home/Desktop/Harbrix.debug"));
    plug("B2");
    pass();
    ASSERT_EQ(count("connected"), 2u);
    const DeviceRef second = connected("B2");
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->line().history().enabled());
}

TEST_F(Discovery, APedalWhoseCacheCannotBeMadeIsTriedAgainNextPass) {
    std::ofstream(dir.file("blocked")) << "a file where the cache folder would go";
    setenv("XDG_CACHE_HOME", dir.file("blocked").c_str(), 1);
    plug("A1");
    pass();
    EXPECT_EQ(count("connected"), 0u);
    setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
    pass();
    EXPECT_EQ(count("connected"), 1u);
}

TEST_F(Discovery, InitializeTwiceRunsOneLoop) {
    const std::string passes = dir.file("passes");
    setenv("HARBRIX_USB_INVENTORY", ("echo >> '" + passes + "'; cat '" + inventory + "'").c_str(),
           1);
    plug("A1");
    EXPECT_FALSE(DeviceRegistry::initialize(nullptr));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(DeviceRegistry::initialize(&delegate));
    EXPECT_TRUE(DeviceRegistry::initialize(&delegate));
    ASSERT_TRUE(
        delegate.waitFor([](const RecordingDelegate& d) { return d.count("connected") == 1; }));
    std::this_thread::sleep_until(started + 2500ms);
    std::ifstream file(passes);
    const auto lines = std::count(std::istreambuf_iterator<char>(file), {}, '\n');
    // One loop starts a pass at 0, ~1.07 and ~2.14 s; two would have started twice as many.
    EXPECT_GE(lines, 2);
    EXPECT_LE(lines, 3);
    EXPECT_EQ(count("connected"), 1u);
}

TEST_F(Discovery, TheStatePollOutlivesItsDevice) {
    plug("A1");
    pass();
    ASSERT_EQ(count("connected"), 1u);
    const auto device = delegate.calls().front().device;
    delegate.setCurrentDevice(device);
    const auto polls = [&] {
        std::size_t n = 0;
        for (const Bytes& write : line("A1")->writes()) n += write[0] == Command::LOCAL_CONTROLX;
        return n;
    };
    const std::size_t before = polls();
    DeviceRegistry::listenForDeviceUpdates();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (polls() < before + 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_GE(polls(), before + 4) << "two exchanges per poll, about every 0.55 s";

    // Gone, but still the delegate's current device: discovery must not wait for its queue.
    unplug("A1");
    pass();
    std::this_thread::sleep_for(700ms);
    plug("B2");
    auto next = std::async(std::launch::async, [this] { pass(); });
    ASSERT_EQ(next.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(count("connected", "B2"), 1u);
}

TEST(DeviceIdentity, FollowsFileNameAndDescriptor) {
    const QORUARTDevice a("cu.usbserial-A1", "MIV3", "A1");
    const QORUARTDevice same("cu.usbserial-A1", "NAX3", "other");
    const QORUARTDevice other("cu.usbserial-B2", "MIV3", "A1");
    EXPECT_TRUE(a.isEqual(same));
    EXPECT_EQ(a.hash(), same.hash());
    EXPECT_FALSE(a.isEqual(other));
    EXPECT_NE(a.hash(), other.hash());
}

}  // namespace
}  // namespace harbrix
