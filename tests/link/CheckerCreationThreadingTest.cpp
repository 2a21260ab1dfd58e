// The firmware checker is created on the main rail when a pedal says who it is, and the
// main thread itself runs a few maintenance transactions. Neither may wait for the other.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/MainLoop.h"
#include "support/ScriptedLine.h"

namespace harbrix {
namespace {

struct CountingChecker : FirmwareChecker {};

TEST(CheckerCreationThreadingTest, IdentifyingWhileTheMainThreadTransactsNeverHangs) {
    std::atomic<int> created{0};
    Model::setCheckerFactory([&](const std::string&) {
        ++created;
        return std::make_shared<CountingChecker>();
    });

    auto line = std::make_shared<test::ScriptedLine>();
    line->setResponder([](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] == Command::WHO_RU) return test::textReply("QOR,,MIV3,,42.1.0");
        return test::okReply();
    });
    auto pedal = std::make_shared<QORUARTDevice>("cu.usbserial-T1", "NAX3", "", line);
    ASSERT_TRUE(pedal->bringUp().open());
    pedal->setQueue(railsQueue("test.checker.pedal"));

    std::thread loop([] { MainLoop::run(); });
    constexpr int kRounds = 300;
    std::promise<void> mainDone;
    // The main thread keeps the "io" lock busy with its own exchanges ...
    rail(Rails::main(), [&] {
        const auto reboot = *buildRequest(Command::GET_CMDS, 0, 0, 0);
        for (int i = 0; i < kRounds; ++i) pedal->execute(Command::GET_CMDS, reboot);
        mainDone.set_value();
    });
    // ... while the pedal's queue parses identities, each asking the main rail for a checker.
    std::promise<void> queueDone;
    rail(pedal->queue(), [&] {
        const auto whoAreYou = *buildRequest(Command::WHO_RU, 0, 0, 0);
        for (int i = 0; i < kRounds; ++i) pedal->execute(Command::WHO_RU, whoAreYou);
        queueDone.set_value();
    });
    EXPECT_EQ(queueDone.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(mainDone.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    railSync(Rails::main(), [] {});
    EXPECT_EQ(created.load(), kRounds);
    ASSERT_TRUE(Model::get("MIV3"));
    rail(Rails::main(), [] { MainLoop::quit(); });
    loop.join();
    Model::setCheckerFactory(nullptr);
}

}  // namespace
}  // namespace harbrix
