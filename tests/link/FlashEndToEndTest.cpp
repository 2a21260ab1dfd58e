// Firmware updates against the simulated pedal over a real pseudo-terminal. The pedal
// records every request it receives, so each test proves which commands went out in which
// order; its flash image file shows what was written. Every update waits 2 s for
// "SUSPENDC", so the cases share simulators where they can.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "link/FirmwareImage.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using Lines = std::vector<std::string>;

constexpr std::size_t kFlashSize = 4 * 1024 * 1024;

Bytes pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13 + seed * 7 + (i >> 8));
    return bytes;
}

// The four exchanges of a page with read-back, as the pedal records them.
Lines pageLines(std::size_t offset, std::size_t length) {
    const std::string n = std::to_string(length), at = std::to_string(offset);
    return {"WRITE_PAGE " + n + " 0", "READ_PAGE " + n + " 0", "WRITE_FLASH 0 " + at,
            "READ_FLASH " + n + " " + at};
}

Lines updateLines(std::size_t size) {
    Lines lines{"SUSPENDC 0 3"};
    for (std::size_t offset = 0; offset < size; offset += 256) {
        const Lines page = pageLines(offset, std::min<std::size_t>(256, size - offset));
        lines.insert(lines.end(), page.begin(), page.end());
    }
    lines.push_back("REBOOTC 0 0");
    return lines;
}

Lines concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class FlashEndToEndTest : public ::testing::Test {
  protected:
    test::TempDir folder;
    std::unique_ptr<test::Simulator> sim;
    std::shared_ptr<QORUARTDevice> device;
    std::vector<double> progress;
    std::string serial;

    void start(const std::string& name, std::vector<std::string> faults = {}) {
        serial = name;
        std::vector<std::string> arguments{
            "--serial", serial,      "--timeouts", "0,0,0,0",
            "--state",  statePath(), "--record",   folder.file(serial + ".record")};
        arguments.insert(arguments.end(), faults.begin(), faults.end());
        sim = std::make_unique<test::Simulator>(arguments);
        ASSERT_TRUE(sim->running()) << sim->error();
    }

    std::string statePath() const { return folder.file(serial + ".json"); }

    // A fresh link each time: the pedal restarts at its boot speed after every update.
    bool update(const Bytes& image) {
        device.reset();
        device = std::make_shared<QORUARTDevice>(sim->nodeName(), "MIV3", "");
        device->setDeviceRoot(sim->dir());
        if (!device->completeInitialization()) {
            ADD_FAILURE() << "bring-up failed: " << device->failureReason();
            return false;
        }
        progress.clear();
        const bool result = device->flasher().updateFirmware(
            image, [this](double percent) { progress.push_back(percent); });
        Rails::main()->drain();
        return result;
    }

    // What the pedal received since the last bring-up ended.
    Lines received() const {
        std::ifstream in(folder.file(serial + ".record"));
        Lines lines, since;
        for (std::string line; std::getline(in, line);) {
            since.push_back(line);
            if (line.rfind("PRESET_INFO", 0) == 0) since.clear();
        }
        return since;
    }

    Bytes flash() const { return bytesOfFile(statePath() + ".flash").value_or(Bytes{}); }
};

TEST_F(FlashEndToEndTest, FlashesOneTwoAndManyPages) {
    start("FLASH1");
    unsigned seed = 0;
    for (const std::size_t size : {std::size_t{256}, std::size_t{300}, std::size_t{256 * 4 + 17}}) {
        SCOPED_TRACE(size);
        const Bytes image = pattern(size, ++seed);
        ASSERT_TRUE(update(image));
        EXPECT_EQ(received(), updateLines(size));
        const Bytes chip = flash();
        ASSERT_EQ(chip.size(), kFlashSize);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), chip.begin()));
        EXPECT_EQ(chip[size], 0xFF);
        const std::size_t pages = (size + 255) / 256;
        ASSERT_EQ(progress.size(), pages + 2);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(progress.back(), 100.0);
    }
}

TEST_F(FlashEndToEndTest, ReadBackMismatchRecoversAndReboots) {
    // The second flash read-back of the first update and the fourth page read-back (the
    // second page of the second update) come back with one byte changed.
    start("FLASH2", {"--corrupt", "READ_FLASH=2", "--corrupt", "READ_PAGE=4"});
    const Bytes image = pattern(3 * 256, 5);
    EXPECT_FALSE(update(image));
    EXPECT_EQ(received(),
              concat(concat(concat({"SUSPENDC 0 3"}, pageLines(0, 256)), pageLines(256, 256)),
                     {"RECOVERC 0 0", "REBOOTC 0 0"}));
    EXPECT_EQ(progress, (std::vector<double>{0, 0, 256.0 / 768.0 * 100.0}));

    EXPECT_FALSE(update(image));
    EXPECT_EQ(received(),
              concat(concat({"SUSPENDC 0 3"}, pageLines(0, 256)),
                     {"WRITE_PAGE 256 0", "READ_PAGE 256 0", "RECOVERC 0 0", "REBOOTC 0 0"}));
}

TEST_F(FlashEndToEndTest, PedalFallingSilentMidFlashIsToldToRecover) {
    start("FLASH3", {"--silent-from", "WRITE_FLASH=2"});
    EXPECT_FALSE(update(pattern(3 * 256, 6)));
    EXPECT_EQ(received(), concat(concat({"SUSPENDC 0 3"}, pageLines(0, 256)),
                                 {"WRITE_PAGE 256 0", "READ_PAGE 256 0", "WRITE_FLASH 0 256",
                                  "RECOVERC 0 0", "REBOOTC 0 0"}));
}

TEST_F(FlashEndToEndTest, FailedSuspendSendsNothingMore) {
    start("FLASH4", {"--error", "SUSPENDC=5"});
    EXPECT_FALSE(update(pattern(600, 7)));
    EXPECT_EQ(received(), Lines{"SUSPENDC 0 3"});
    EXPECT_TRUE(flash().empty());  // the chip file appears with the first page written
    EXPECT_EQ(progress, std::vector<double>{0});
}

TEST_F(FlashEndToEndTest, LDRAndRawImagesOfTheSameContentFlashAlike) {
    const Bytes image = pattern(1000, 8);
    std::string ldr;
    for (const std::uint8_t byte : image) {
        char line[8];
        std::snprintf(line, sizeof line, "0x%02X\r\n", byte);
        ldr += line;
    }
    start("FLASHRAW");
    ASSERT_TRUE(update(image));
    const Bytes fromRaw = flash();
    start("FLASHLDR");
    ASSERT_TRUE(update(Bytes(ldr.begin(), ldr.end())));
    EXPECT_EQ(received(), updateLines(image.size()));
    const Bytes fromLDR = flash();
    ASSERT_EQ(fromRaw.size(), kFlashSize);
    EXPECT_TRUE(fromRaw == fromLDR);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), fromLDR.begin()));
}

}  // namespace
}  // namespace harbrix
