// A firmware flash as the window and harbrixctl start it: files refused before the pedal is
// touched, the update on the pedal's own queue with its progress and outcome on the main
// rail, a stop asked from another thread in the middle of a page, and a pedal that goes
// before its flash could start.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <thread>

#include "link/Commands.h"
#include "link/FirmwareFlash.h"
#include "link/Request.h"
#include "support/ScriptedBringUp.h"

namespace harbrix {
namespace {

using Outcome = FirmwareFlash::Outcome;
using test::okReply;

// A loader that keeps each committed page and can hold the line at one command. Once
// rebooted, it answers the bring-up as the pedal does.
struct Loader {
    Bytes page;
    std::map<std::uint32_t, Bytes> flash;
    std::function<void(const Bytes&)> onRequest;
    test::ScriptedLine::Responder pedal = test::bringUpResponder("MIV3", "42.1.0");

    std::optional<Bytes> operator()(const Bytes& request) {
        if (onRequest) onRequest(request);
        const std::size_t count = request[2] | request[3] << 8;
        switch (request[0]) {
            case Command::WRITE_PAGE:
                page.assign(request.begin() + 8, request.end());
                return okReply();
            case Command::READ_PAGE:
                return okReply(Bytes(page.begin(), page.begin() + std::min(count, page.size())));
            case Command::WRITE_FLASH:
                flash[requestArgument(request)] = page;
                return okReply();
            case Command::READ_FLASH: {
                const Bytes& stored = flash[requestArgument(request)];
                return okReply(
                    Bytes(stored.begin(), stored.begin() + std::min(count, stored.size())));
            }
            case Command::REBOOTC:
                return std::nullopt;
            default:
                return pedal(request);
        }
    }
};

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 5 + 1);
    return bytes;
}

class FirmwareFlashTest : public ::testing::Test {
  protected:
    std::shared_ptr<test::ScriptedLine> line = std::make_shared<test::ScriptedLine>();
    std::shared_ptr<Loader> loader = std::make_shared<Loader>();
    DeviceRef device;
    QueueRef queue;
    std::size_t mark = 0;
    // What reached the main rail, in order: "0", "50", ..., then the outcome.
    std::vector<std::string> events;
    std::optional<Outcome> outcome;

    void SetUp() override {
        device = test::scriptedDevice(line, "MIV3", "42.1.0",
                                      [this](const Bytes& r) { return (*loader)(r); });
        ASSERT_TRUE(device);
        queue = railsQueue("flash-test");
        device->setQueue(queue);
        mark = line->writes().size();
    }

    void TearDown() override {
        // Nothing of one test may still count as running in the next.
        waitForOutcome();
        EXPECT_FALSE(FirmwareFlash::anyRunning());
    }

    std::shared_ptr<FirmwareFlash> start(const Bytes& file, ImageRefusal* refusal = nullptr) {
        return FirmwareFlash::start(
            device, file,
            [this](double percent) { events.push_back(std::to_string(int(percent))); },
            [this](Outcome result) {
                outcome = result;
                events.push_back("done");
            },
            refusal);
    }

    // Serves the main rail until the flash has delivered its outcome (five seconds at most).
    void waitForOutcome() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (FirmwareFlash::anyRunning() && std::chrono::steady_clock::now() < deadline) {
            Rails::main()->drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        Rails::main()->drain();
    }

    std::vector<std::uint8_t> commandsSent() const {
        const auto all = line->commandsWritten();
        return {all.begin() + static_cast<std::ptrdiff_t>(mark), all.end()};
    }
};

TEST_F(FirmwareFlashTest, FilesThePedalCannotTakeAreRefusedBeforeAnythingIsSent) {
    const std::string hex = ":020000040800F2\n:10000000000102030405060708090A0B0C0D0E0F78\n";
    const struct {
        const char* what;
        Bytes file;
        ImageRefusal refusal;
    } cases[] = {
        {"empty", {}, ImageRefusal::empty},
        {"Intel HEX", Bytes(hex.begin(), hex.end()), ImageRefusal::intelHex},
        {"larger than the flash", Bytes(kPedalFlashSize + 256, 0), ImageRefusal::tooLarge},
    };
    for (const auto& c : cases) {
        ImageRefusal refusal = ImageRefusal::none;
        EXPECT_FALSE(start(c.file, &refusal)) << c.what;
        EXPECT_EQ(refusal, c.refusal) << c.what;
        EXPECT_FALSE(FirmwareFlash::anyRunning()) << c.what;
    }
    railSync(queue, [] {});
    Rails::main()->drain();
    EXPECT_TRUE(commandsSent().empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(FirmwareFlashTest, ProgressThenOutcomeArriveOnTheMainRail) {
    bool noneRunning = false;
    const auto flash = start(pattern(512));
    ASSERT_TRUE(flash);
    EXPECT_TRUE(FirmwareFlash::anyRunning());
    FirmwareFlash::whenNoneRunning([&] {
        noneRunning = true;
        // Told after the outcome, never before.
        EXPECT_EQ(events.back(), "done");
    });
    waitForOutcome();
    EXPECT_EQ(outcome, Outcome::written);
    EXPECT_EQ(events, (std::vector<std::string>{"0", "0", "50", "100", "done"}));
    EXPECT_TRUE(noneRunning);
    EXPECT_FALSE(flash->running());
    EXPECT_EQ(loader->flash.size(), 2u);
    // The pedal reboots, and is brought up again before anything else reaches it.
    railSync(queue, [] {});
    const auto sent = commandsSent();
    const auto reboot = std::find(sent.begin(), sent.end(), Command::REBOOTC);
    ASSERT_GE(std::distance(reboot, sent.end()), 3);
    EXPECT_EQ(std::vector<std::uint8_t>(reboot + 1, reboot + 3),
              (std::vector<std::uint8_t>{Command::GET_CMDS, Command::SET_BAUD}));
}

TEST_F(FirmwareFlashTest, AStopFromAnotherThreadLetsThePageFinishThenRecovers) {
    // The loader holds the second page's commit until the test thread has asked to stop.
    std::promise<void> reached, stopped;
    auto stoppedFuture = stopped.get_future().share();
    loader->onRequest = [&, stoppedFuture](const Bytes& request) {
        if (request[0] == Command::WRITE_FLASH && requestArgument(request) == 256) {
            reached.set_value();
            stoppedFuture.wait();
        }
    };
    const auto flash = start(pattern(4 * 256));
    ASSERT_TRUE(flash);
    ASSERT_EQ(reached.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    FirmwareFlash::stopAll();
    EXPECT_TRUE(flash->stopRequested());
    stopped.set_value();
    waitForOutcome();

    EXPECT_EQ(outcome, Outcome::stopped);
    const auto sent = commandsSent();
    const auto reboot = std::find(sent.begin(), sent.end(), Command::REBOOTC);
    ASSERT_NE(reboot, sent.end());
    ASSERT_GE(std::distance(sent.begin(), reboot), 3);
    EXPECT_EQ(std::vector<std::uint8_t>(reboot - 3, reboot + 1),
              (std::vector<std::uint8_t>{Command::WRITE_FLASH, Command::READ_FLASH,
                                         Command::RECOVERC, Command::REBOOTC}));
    EXPECT_EQ(loader->flash.size(), 2u);  // the page under way was finished, no later one
}

TEST_F(FirmwareFlashTest, APedalGoneBeforeItsFlashRanIsNeverTouched) {
    railsSuspend(queue);
    const auto flash = start(pattern(256));
    ASSERT_TRUE(flash);
    device.reset();  // the queued work held it weakly
    railsResume(queue);
    waitForOutcome();
    EXPECT_EQ(outcome, Outcome::gone);
    EXPECT_TRUE(commandsSent().empty());
}

}  // namespace
}  // namespace harbrix
