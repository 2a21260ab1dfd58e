// Firmware flashing against a scripted loader: the exact frames of each page, the read-back
// rule by firmware major, progress on the main rail, and the images refused before the
// pedal is touched. (Each update that gets as far as "SUSPENDC" waits its 2 s.)
#include <gtest/gtest.h>

#include <map>

#include "link/Commands.h"
#include "link/FirmwareImage.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "support/ScriptedBringUp.h"

namespace harbrix {
namespace {

using test::okReply;
using test::ScriptedLine;

Bytes frame(std::uint8_t command, std::uint32_t count, std::uint32_t argument,
            const Bytes& payload = {}) {
    return payload.empty() ? *buildRequest(command, 0, count, argument)
                           : *buildRequest(command, 0, count, argument, payload);
}

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t length) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
}

// A page buffer and a flash chip, as the pedal's loader keeps them.
struct Loader {
    Bytes page;
    std::map<std::uint32_t, Bytes> flash;

    std::optional<Bytes> operator()(const Bytes& request) {
        const std::size_t count = request[2] | request[3] << 8;
        const std::uint32_t argument = requestArgument(request);
        switch (request[0]) {
            case Command::WRITE_PAGE:
                page.assign(request.begin() + 8, request.end());
                return okReply();
            case Command::READ_PAGE:
                return okReply(slice(page, 0, std::min(count, page.size())));
            case Command::WRITE_FLASH:
                flash[argument] = page;
                return okReply();
            case Command::READ_FLASH: {
                const Bytes& stored = flash[argument];
                return okReply(slice(stored, 0, std::min(count, stored.size())));
            }
            case Command::REBOOTC:
                return std::nullopt;
            default:
                return okReply();
        }
    }
};

class FirmwareUpdateTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedLine> line = std::make_shared<ScriptedLine>();
    std::shared_ptr<QORUARTDevice> device;
    std::shared_ptr<Loader> loader = std::make_shared<Loader>();
    std::size_t mark = 0;
    std::vector<double> progress;

    void bringUp(const std::string& firmware) {
        device = test::scriptedDevice(line, "MIV3", firmware,
                                      [this](const Bytes& r) { return (*loader)(r); });
        ASSERT_TRUE(device);
        mark = line->writes().size();
    }

    bool update(const Bytes& image) {
        return device->flasher().updateFirmware(
            image, [this](double percent) { progress.push_back(percent); });
    }

    std::vector<Bytes> sent() const {
        const auto all = line->writes();
        return {all.begin() + static_cast<std::ptrdiff_t>(mark), all.end()};
    }
};

TEST_F(FirmwareUpdateTest, TwoPagesWithReadBackOnFirmware30AndLater) {
    bringUp("30.0.0");
    device->line().setLog(true);
    const Bytes image = pattern(300);
    ASSERT_TRUE(update(image));
    EXPECT_FALSE(device->line().log());

    const Bytes first = slice(image, 0, 256), second = slice(image, 256, 44);
    EXPECT_EQ(sent(), (std::vector<Bytes>{
                          frame(Command::SUSPENDC, 0, 3),
                          frame(Command::WRITE_PAGE, 256, 0, first),
                          frame(Command::READ_PAGE, 256, 0),
                          frame(Command::WRITE_FLASH, 0, 0),
                          frame(Command::READ_FLASH, 256, 0),
                          frame(Command::WRITE_PAGE, 44, 0, second),
                          frame(Command::READ_PAGE, 44, 0),
                          frame(Command::WRITE_FLASH, 0, 256),
                          frame(Command::READ_FLASH, 44, 256),
                          frame(Command::REBOOTC, 0, 0),
                      }));
    EXPECT_EQ(loader->flash, (std::map<std::uint32_t, Bytes>{{0, first}, {256, second}}));

    // Reported on the main rail, never from the updating thread itself.
    EXPECT_TRUE(progress.empty());
    Rails::main()->drain();
    EXPECT_EQ(progress, (std::vector<double>{0, 0, 256.0 / 300.0 * 100.0, 100}));
}

TEST_F(FirmwareUpdateTest, FirmwareBefore30SkipsThePageReadBackAndShortLDRIsRaw) {
    bringUp("29.9.0");
    // 119 bytes that start like LDR text are too short to be one: flashed as they are.
    std::string text;
    for (int i = 0; i < 20; ++i) text += "0x5a\r\n";
    const Bytes image(text.begin(), text.begin() + 119);
    ASSERT_TRUE(update(image));
    EXPECT_EQ(sent(), (std::vector<Bytes>{
                          frame(Command::SUSPENDC, 0, 3),
                          frame(Command::WRITE_PAGE, 119, 0, image),
                          frame(Command::WRITE_FLASH, 0, 0),
                          frame(Command::READ_FLASH, 119, 0),
                          frame(Command::REBOOTC, 0, 0),
                      }));
    Rails::main()->drain();
    EXPECT_EQ(progress, (std::vector<double>{0, 0, 100}));
}

TEST_F(FirmwareUpdateTest, ImagesRefusedBeforeThePedalIsTouched) {
    bringUp("42.1.0");
    std::string fewTokens;
    for (int i = 0; i < 99; ++i) fewTokens += "0xA5\r\n";
    const std::string hex = ":10010000214601360121470136007EFE09D2190140\r\n:00000001FF\r\n";
    EXPECT_FALSE(update({}));
    EXPECT_FALSE(update(Bytes(fewTokens.begin(), fewTokens.end())));
    EXPECT_FALSE(update(Bytes(hex.begin(), hex.end())));
    EXPECT_FALSE(update(Bytes(kPedalFlashSize + 1, 0xA5)));
    EXPECT_TRUE(sent().empty());
    Rails::main()->drain();
    EXPECT_TRUE(progress.empty());
}

// A stop asked while a page is under way lets that page finish, then recovers and reboots;
// one asked before the suspend sends nothing at all.
TEST_F(FirmwareUpdateTest, StopFinishesThePageThenRecovers) {
    bringUp("42.1.0");
    bool stop = false;
    const Bytes image = pattern(3 * 256);
    auto respond = [this, &stop](const Bytes& request) {
        if (request[0] == Command::WRITE_FLASH && requestArgument(request) == 256) stop = true;
        return (*loader)(request);
    };
    line->setResponder(respond);
    EXPECT_EQ(device->flasher().flashFirmware(image, {}, [&stop] { return stop; }),
              Flasher::Outcome::stopped);
    const Bytes second = slice(image, 256, 256);
    const auto all = sent();
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(std::vector<Bytes>(all.end() - 6, all.end()),
              (std::vector<Bytes>{frame(Command::WRITE_PAGE, 256, 0, second),
                                  frame(Command::READ_PAGE, 256, 0),
                                  frame(Command::WRITE_FLASH, 0, 256),
                                  frame(Command::READ_FLASH, 256, 256),
                                  frame(Command::RECOVERC, 0, 0), frame(Command::REBOOTC, 0, 0)}));
    EXPECT_FALSE(loader->flash.count(512));

    mark = line->writes().size();
    EXPECT_EQ(device->flasher().flashFirmware(image, {}, [] { return true; }),
              Flasher::Outcome::cancelled);
    EXPECT_TRUE(sent().empty());
}

TEST_F(FirmwareUpdateTest, PageAndFlashCommandsKeepToOnePage) {
    bringUp("42.1.0");
    EXPECT_FALSE(device->flasher().writePage(Bytes{}));
    EXPECT_FALSE(device->flasher().writePage(pattern(257)));
    EXPECT_FALSE(device->flasher().readPage(257));
    EXPECT_FALSE(device->flasher().readFlashAtOffset(0, 257));
    EXPECT_TRUE(sent().empty());
    // A length of 0 asks for a whole page.
    device->flasher().readPage();
    device->flasher().readFlashAtOffset(0x12345678);
    EXPECT_EQ(sent(), (std::vector<Bytes>{frame(Command::READ_PAGE, 256, 0),
                                          frame(Command::READ_FLASH, 256, 0x12345678)}));
}

}  // namespace
}  // namespace harbrix
