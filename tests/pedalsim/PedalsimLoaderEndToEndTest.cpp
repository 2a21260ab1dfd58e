// The simulated pedal's RAM cells and firmware loader seen from the wire, with plain POSIX calls:
// the host's link code is not trusted here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/HostPort.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

namespace harbrix::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kSetBaud = 0x95, kLocalControlX = 0x16, kPeekC = 0x70, kPokeC = 0xF0,
                       kSuspendC = 0x80, kRecoverC = 0x81, kRebootC = 0x82, kWriteFlash = 0x83,
                       kWritePage = 0x84, kReadPage = 0x03, kReadFlash = 0x02;
constexpr std::uint32_t kBase = 0x1190078C;  // firmware 42
constexpr std::uint32_t kFlashSize = 4 * 1024 * 1024;

Bytes reply(std::uint8_t error, const Bytes& payload = {}) {
    Bytes bytes(2 + payload.size(), 0);
    bytes[0] = error;
    std::copy(payload.begin(), payload.end(), bytes.begin() + 2);
    return bytes;
}

Bytes le(std::uint64_t value, std::size_t width) {
    Bytes bytes(width);
    for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

class PedalsimLoader : public ::testing::Test {
  protected:
    TempDir folder;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<HostPort> port;

    void start(std::vector<std::string> arguments = {}) {
        sim = std::make_unique<Simulator>(std::move(arguments));
        ASSERT_TRUE(sim->running()) << sim->error();
        port = std::make_unique<HostPort>(sim->path());
        ASSERT_TRUE(port->isOpen());
    }
    Bytes exchange(const Bytes& bytes) { return port->exchange(bytes, 50ms, 2s); }
};

TEST_F(PedalsimLoader, MemoryMapRefusesWhatLiesOutsideIt) {
    start({"--firmware", "40.1.0"});
    constexpr std::uint32_t base = 0x119007B0;
    const struct {
        std::uint8_t sizeCode;
        std::uint16_t count;
        std::uint32_t address;
        Bytes expected;
    } reads[] = {
        {1, 2, base + 16, reply(0, {2, 0, 0, 0})},  // pitch wheel 2, low half of contrast 8
        {3, 1, base + 16, reply(0, {2, 0, 0, 0, 8, 0, 0, 0})},
        {0, 36, base, reply(0, Bytes{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0,
                                     0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0})},
        {0, 37, base, reply(2)},      // one byte past the map
        {3, 1, base + 32, reply(2)},  // runs off the end
        {0, 1, base - 1, reply(2)},
        {2, 0, base, reply(2)},
        {2, 1, kBase + 4, reply(2)},  // firmware 42's address
    };
    for (const auto& r : reads)
        EXPECT_EQ(exchange(request(kPeekC, r.sizeCode, r.count, r.address)), r.expected)
            << std::hex << r.address;

    // A write is checked whole: a selected preset past the slots refuses the channel with it.
    EXPECT_EQ(exchange(request(kPokeC, 2, 2, base, Bytes{150, 0, 0, 0, 3, 0, 0, 0})), reply(2));
    EXPECT_EQ(exchange(request(kPokeC, 0, 1, base + 4, {9})), reply(0));
    const Bytes block = exchange(request(kLocalControlX, 0, 3, 16));
    ASSERT_EQ(block.size(), 50u);
    EXPECT_EQ(block[2 + 1], 0);  // selected preset
    EXPECT_EQ(block[2 + 5], 9);  // channel
}

TEST_F(PedalsimLoader, LoaderTakesPagesOnlyWhileSuspended) {
    const std::string state = folder.file("pedal.json");
    start({"--state", state});
    const Bytes page{0xDE, 0xAD, 0xBE, 0xEF};
    EXPECT_EQ(exchange(request(kWritePage, 0, 4, 0, page)), reply(2));
    EXPECT_EQ(exchange(request(kSuspendC, 0, 0, 3)), reply(0));
    EXPECT_EQ(exchange(request(kWriteFlash, 0, 0, 0)), reply(2));  // nothing in the buffer yet
    EXPECT_EQ(exchange(request(kWritePage, 0, 4, 0, page)), reply(0));
    EXPECT_EQ(exchange(request(kReadPage, 0, 4, 0)), reply(0, page));
    EXPECT_EQ(exchange(request(kWriteFlash, 0, 0, kFlashSize - 2)), reply(2));
    EXPECT_EQ(exchange(request(kWriteFlash, 0, 0, 0x100)), reply(0));
    EXPECT_EQ(exchange(request(kReadFlash, 0, 4, 0x100)), reply(0, page));
    Bytes whole(256, 0xFF);
    std::copy(page.begin(), page.end(), whole.begin());
    EXPECT_EQ(exchange(request(kReadFlash, 0, 0, 0x100)), reply(0, whole));
    EXPECT_EQ(exchange(request(kReadFlash, 0, 4, kFlashSize - 2)), reply(2));
    EXPECT_EQ(exchange(request(kRecoverC)), reply(0));
    EXPECT_EQ(exchange(request(kWritePage, 0, 4, 0, page)), reply(2));

    // The flash outlives the pedal; a damaged chip file is refused.
    port.reset();
    ASSERT_TRUE(sim->restart());
    port = std::make_unique<HostPort>(sim->path());
    EXPECT_EQ(exchange(request(kReadFlash, 0, 4, 0x100)), reply(0, page));
    EXPECT_EQ(std::filesystem::file_size(state + ".flash"), kFlashSize);
    port.reset();
    std::filesystem::resize_file(state + ".flash", 1000);
    EXPECT_FALSE(sim->restart());
}

TEST_F(PedalsimLoader, RebootIsSilentAndReturnsToTheBootSpeed) {
    start();
    EXPECT_EQ(exchange(request(kSetBaud, 2, 0, 2000000)), reply(0));
    ASSERT_TRUE(port->setSpeed(2000000));
    EXPECT_EQ(exchange(request(kSuspendC, 0, 0, 3)), reply(0));
    EXPECT_TRUE(port->exchange(request(kRebootC), 200ms).empty());
    EXPECT_NE(exchange(request(kPeekC, 2, 1, kBase)),
              reply(0, le(0, 4)));  // noise at the old speed
    ASSERT_TRUE(port->setSpeed(115200));
    EXPECT_EQ(exchange(request(kPeekC, 2, 1, kBase)), reply(0, le(0, 4)));
    EXPECT_EQ(exchange(request(kWritePage, 0, 1, 0, {1})), reply(2));  // no longer suspended
}

}  // namespace
}  // namespace harbrix::test
