// The preset librarian against the simulated pedal: harbrixctl's backup, erase and restore
// round trip, its refusals of bad input, files written to a FAT drive, and a refresh that
// meets a slot it cannot read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "devices/Preset.h"
#include "devices/PresetFile.h"
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "support/Paths.h"
#include "support/PresetEvents.h"
#include "support/Program.h"
#include "support/ScriptedPedal.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using test::readText;
using test::writeText;

using nlohmann::json;

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes prefixed(std::uint32_t product, const Bytes& body) {
    Bytes bytes;
    for (const std::uint32_t word : {std::uint32_t{kPedalVendorId}, product})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

class PresetsEndToEnd : public ::testing::Test {
  protected:
    // A simulated MIV3 whose slots hold `presets` (0-based slot -> bytes).
    void start(const std::map<std::size_t, Bytes>& presets, std::vector<std::string> extra = {}) {
        json slots = json::object();
        for (const auto& [slot, bytes] : presets) slots[std::to_string(slot)] = hex(bytes);
        std::ofstream(statePath()) << json{{"presets", slots}}.dump();
        std::vector<std::string> arguments = {"--model", "MIV3",    "--serial",
                                              "PRE001",  "--state", statePath()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        pedal = std::make_unique<test::Simulator>(arguments);
        ASSERT_TRUE(pedal->running()) << pedal->error();
    }
    std::string statePath() const { return files.file("state.json"); }
    json storedPresets() const { return json::parse(readText(statePath()))["presets"]; }

    test::ProgramResult ctl(std::vector<std::string> arguments) {
        // NODE MODEL name the pedal, right after the command word.
        arguments.insert(arguments.begin() + 1, {pedal->path(), "MIV3"});
        return test::runProgram(test::binPath("harbrixctl"), arguments,
                                {{"XDG_CACHE_HOME", cache.path()}});
    }

    test::TempDir files;
    test::TempDir cache;
    std::unique_ptr<test::Simulator> pedal;
};

TEST_F(PresetsEndToEnd, BackupEraseRestoreGivesBackTheSamePresetsInTheSameSlots) {
    const std::map<std::size_t, Bytes> presets = {
        {0, test::presetBytes("Lead", 1)},   {7, test::presetBytes("Lead", 2)},
        {42, test::presetBytes("AC/DC", 3)}, {63, test::presetBytes("a~b", 4)},
        {98, test::presetBytes("..", 5)},    {99, test::presetBytes("", 6)},
    };
    start(presets);
    const json before = storedPresets();
    const std::string folder = files.file("backup");

    const auto backup = ctl({"backup", folder});
    ASSERT_EQ(backup.status, 0) << backup.err;
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename());
    EXPECT_EQ(names,
              (std::set<std::string>{"Lead.qorpreset", "Lead-2.qorpreset", "AC-DC.qorpreset",
                                     "a\xEF\xA2\x88"
                                     "b.qorpreset",
                                     "--.qorpreset", "Slot 100.qorpreset", "harbrix-backup.json"}));

    for (const auto& [slot, bytes] : presets) {
        const auto erase = ctl({"erase", std::to_string(slot + 1)});
        ASSERT_EQ(erase.status, 0) << erase.err;
    }
    EXPECT_TRUE(storedPresets().empty());
    const auto listing = ctl({"presets"});
    ASSERT_EQ(listing.status, 0) << listing.err;
    EXPECT_NE(listing.out.find("01  (empty)\n"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("100  (empty)\n"), std::string::npos) << listing.out;

    const auto restore = ctl({"restore", folder});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(storedPresets(), before);
    EXPECT_NE(ctl({"presets"})
                  .out.find("64  a\xEF\xA2\x88"
                            "b\n"),
              std::string::npos)
        << "shown with U+F888";

    // A second backup into the same folder would mix two pedals' states: refused.
    const auto again = ctl({"backup", folder});
    EXPECT_EQ(again.status, 2);
}

TEST_F(PresetsEndToEnd, BadInputIsRefusedWithOneLineAndNothingWritten) {
    start({{1, test::presetBytes("Keep", 1)}});
    const json before = storedPresets();
    const Bytes body = test::presetBytes("File", 9);
    writeBytes(files.file("nax.qorpreset"), prefixed(0x600, body));
    Bytes shortFile = prefixed(0x601, body);
    shortFile.pop_back();
    writeBytes(files.file("short.qorpreset"), shortFile);
    writeBytes(files.file("long.qorpreset"), prefixed(0x601, Bytes(120, 0x20)));
    writeBytes(files.file("good.qorpreset"), prefixed(0x601, body));
    std::filesystem::create_directory(files.file("escape"));
    std::ofstream(files.file("escape/harbrix-backup.json"))
        << R"({"model": "MIV3", "presets": [{"slot": 3, "file": "../good.qorpreset"}]})";
    std::filesystem::create_directory(files.file("nax-backup"));
    std::ofstream(files.file("nax-backup/harbrix-backup.json"))
        << R"({"model": "NAX3", "presets": []})";

    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"put", files.file("nax.qorpreset"), "5"}, "another model (product 0x0600), not a MIV3"},
        {{"put", files.file("short.qorpreset"), "5"}, "is 111 bytes long"},
        {{"put", files.file("long.qorpreset"), "5"}, "holds a 120-byte preset; the MIV3 takes 104"},
        {{"put", files.file("missing.qorpreset"), "5"}, "cannot be read"},
        {{"put", files.file("good.qorpreset"), "0"}, "not a number from 1 to 100"},
        {{"put", files.file("good.qorpreset"), "101"}, "not a number from 1 to 100"},
        {{"erase", "-1"}, "not a number from 1 to 100"},
        {{"rename", "2", "\xC3\xA9"}, "no character the pedal can show"},
        {{"rename", "2", "Caf\xC3\xA9"}, "characters the pedal cannot show"},
        {{"restore", files.file("escape")}, "outside its folder"},
        {{"restore", files.file("nax-backup")}, "a backup of a NAX3"},
        {{"restore", files.file("nothing")}, "holds no harbrix-backup.json"},
    };
    for (const auto& c : cases) {
        const auto result = ctl(c.arguments);
        EXPECT_EQ(result.status, 2)
            << c.arguments[0] << " " << c.arguments[1] << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(storedPresets(), before) << "the pedal was not changed";

    const auto missing = test::runProgram(test::binPath("harbrixctl"),
                                          {"erase", files.file("cu.usbserial-GONE"), "MIV3", "2"},
                                          {{"XDG_CACHE_HOME", cache.path()}});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("harbrixctl: no pedal at"), std::string::npos) << missing.err;
}

TEST_F(PresetsEndToEnd, SinglePresetsMoveBetweenPedalAndFiles) {
    start({{1, test::presetBytes("Fifth", 1)}});
    const auto get = ctl({"get", "2", files.file("fifth.qorpreset")});
    ASSERT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(readText(files.file("fifth.qorpreset")).size(), 112u);
    EXPECT_EQ(ctl({"get", "3", files.file("none.qorpreset")}).status, 1) << "an empty slot";
    EXPECT_FALSE(std::filesystem::exists(files.file("none.qorpreset")));

    ASSERT_EQ(ctl({"put", files.file("fifth.qorpreset"), "50"}).status, 0);
    const auto rename = ctl({"rename", "50", "Fifth~Up"});
    ASSERT_EQ(rename.status, 0) << rename.err;
    // The whole preset is written back, as the Transfers screen does: "~" is kept, and shown
    // as the pedal's own character for it.
    EXPECT_EQ(rename.out, "50  Fifth\xEF\xA2\x88Up\n");
    const auto select = ctl({"select", "50", "--load"});
    ASSERT_EQ(select.status, 0) << select.err;
    const json state = json::parse(readText(statePath()));
    EXPECT_EQ(state["selectedPreset"], 49);
    Bytes renamed = test::presetBytes("Fifth~Up", 1);
    EXPECT_EQ(state["presets"]["49"], hex(renamed)) << "name changed, parameters as written";
}

// A FAT drive (a USB stick) refuses hard links. The test needs the tools to make one and the
// right to mount it, and is skipped where the machine has neither.
TEST_F(PresetsEndToEnd, PresetFilesLandOnAFatDrive) {
    std::string mkfs;
    for (const char* tool : {"/usr/sbin/mkfs.fat", "/sbin/mkfs.fat", "/usr/sbin/mkfs.vfat"})
        if (mkfs.empty() && ::access(tool, X_OK) == 0) mkfs = tool;
    if (mkfs.empty()) GTEST_SKIP() << "no mkfs.fat to make a FAT image";
    const std::string image = files.file("stick.img");
    std::ofstream(image).close();
    std::filesystem::resize_file(image, 8u << 20);
    const std::string drive = files.file("stick");
    std::filesystem::create_directories(drive);
    if (test::runProgram(mkfs, {image}).status != 0) GTEST_SKIP() << "mkfs.fat failed";
    const auto mounted = test::runProgram("/bin/mount", {"-o", "loop", image, drive});
    if (mounted.status != 0) GTEST_SKIP() << "a FAT image cannot be mounted here: " << mounted.err;
    struct Unmount {
        std::string drive;
        ~Unmount() { test::runProgram("/bin/umount", {drive}); }
    } unmount{drive};

    start({{0, test::presetBytes("Lead", 1)}, {1, test::presetBytes("Clean", 2)}});
    for (const char* name : {"Lead.qorpreset", "Lead-2.qorpreset"}) {
        const auto get = ctl({"get", "1", drive});
        ASSERT_EQ(get.status, 0) << get.err;
        EXPECT_EQ(readText(drive + "/" + name).size(), 112u) << name;
    }
    const auto backup = ctl({"backup", drive + "/backup"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_TRUE(std::filesystem::exists(drive + "/backup/Clean.qorpreset"));
}

TEST_F(PresetsEndToEnd, RefreshKeepsTheCachedPresetsAfterASlotThatFailsToRead) {
    std::map<std::size_t, Bytes> presets;
    for (std::size_t slot = 10; slot < 15; ++slot)
        presets[slot] = test::presetBytes("Slot", static_cast<std::uint8_t>(slot));
    start(presets, {"--error", "READ_PRESET@12=5"});

    // Declared first so that it outlives the main loop, which may still be delivering to it.
    test::RecordingDelegate delegate;
    test::MainLoopThread mainLoop;
    QORUARTDevice::setDelegate(&delegate);
    auto device = std::make_shared<QORUARTDevice>(pedal->nodeName(), "MIV3", "PRE001");
    device->setDeviceRoot(pedal->dir());
    ASSERT_TRUE(device->completeInitialization()) << device->failureReason();
    device->setQueue(railsQueue("presets-e2e"));
    std::map<std::size_t, std::shared_ptr<Preset>> earlier;
    for (std::size_t slot = 10; slot < 15; ++slot) {
        earlier[slot] = Preset::presetWithSerialized(test::presetBytes("Earlier"), device.get());
        harbrix::presets(device).setCached(earlier[slot], slot);
    }

    test::RefreshOutcome outcome;
    harbrix::presets(device).refreshPresets({10, 5}, false, outcome.completion());
    EXPECT_EQ(outcome.wait(), false);
    EXPECT_EQ(harbrix::presets(device).cached(10)->serialized(), presets[10]);
    EXPECT_EQ(harbrix::presets(device).cached(11)->serialized(), presets[11]);
    for (const std::size_t slot : {12, 13, 14})
        EXPECT_EQ(harbrix::presets(device).cached(slot), earlier[slot]) << slot;
    EXPECT_EQ(test::presetAnnouncements(delegate, *device),
              (std::map<std::size_t, int>{{10, 1}, {11, 1}}));
    QORUARTDevice::setDelegate(nullptr);
}

}  // namespace
}  // namespace harbrix
