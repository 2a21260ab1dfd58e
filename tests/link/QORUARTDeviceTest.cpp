// The transaction engine and bring-up against a scripted line: which bytes go out, which
// replies come back as records, and what the cache file remembers.
#include <gtest/gtest.h>

#include <thread>

#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "link/Rails.h"
#include "platform/Paths.h"
#include "support/ScriptedLine.h"

namespace harbrix {
namespace {

using test::okReply;
using test::ScriptedLine;
using test::textReply;

constexpr std::uint32_t kFastSpeed = 2000000;

std::string uniqueSerial() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string serial;
    for (const char c : std::string(info->test_suite_name()) + info->name())
        if (std::isalnum(static_cast<unsigned char>(c))) serial += c;
    return serial;
}

// Answers the bring-up the way a MIV3 on firmware 42 does.
std::optional<Bytes> pedal(const Bytes& request) {
    switch (request[0]) {
        case Command::WHO_RU: return textReply("QOR,,MIV3,,42.1.0,,Mar 4 2021 10:11:12");
        case Command::GET_CMDS: return okReply({1, 5, 13, 16, 17, 0});
        case Command::GET_TMO: return okReply({2, 1, 2, 3});
        case Command::PRESET_INFO: return okReply({100, 104, 0});
        case Command::LOCAL_CONTROLX: {
            Bytes block(48, 0);
            block[5] = 3;
            block[32] = 0b101;
            return okReply(block);
        }
        case Command::REBOOTC:
        case Command::RECOVERC: return std::nullopt;
        default: return okReply();
    }
}

class DeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedLine> line = std::make_shared<ScriptedLine>();
    std::shared_ptr<QORUARTDevice> device;

    void SetUp() override {
        line->setResponder(pedal);
        device = std::make_shared<QORUARTDevice>("cu.usbserial-" + uniqueSerial(), "MIV3", uniqueSerial(), line);
    }

    Bytes header(std::uint8_t command, std::uint8_t size = 0, std::uint32_t count = 0, std::uint32_t argument = 0) {
        return *buildRequest(command, size, count, argument);
    }

    // Lets the disk rail finish the cache writes posted so far.
    void settleDisk() { railSync(Rails::disk(), [] {}); }
};

TEST_F(DeviceTest, RefusesWithoutTouchingTheLine) {
    ASSERT_TRUE(device->bringUp().open());
    const auto before = line->writes().size();
    EXPECT_FALSE(device->execute(Command::GET_CMDS, Bytes{}));
    device->line().setResetting(true);
    EXPECT_FALSE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    EXPECT_EQ(line->writes().size(), before);

    QORUARTDevice closed("cu.usbserial-X", "MIV3", "", line);
    EXPECT_FALSE(closed.execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    EXPECT_EQ(line->writes().size(), before);
}

TEST_F(DeviceTest, SilenceMeansSuccessOnlyForReboot) {
    ASSERT_TRUE(device->bringUp().open());
    const auto reboot = device->execute(Command::REBOOTC, header(Command::REBOOTC));
    ASSERT_TRUE(reboot);
    EXPECT_EQ(reboot->error, 0);
    EXPECT_FALSE(device->execute(Command::RECOVERC, header(Command::RECOVERC)));

    // A lone byte is no reply: only a rebooting pedal may leave it at that.
    line->setResponder([](const Bytes&) { return Bytes{0}; });
    EXPECT_FALSE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    EXPECT_TRUE(device->execute(Command::REBOOTC, header(Command::REBOOTC)));
}

TEST_F(DeviceTest, FactoryResetPokeLocksTheDeviceUntilCleared) {
    ASSERT_TRUE(device->completeInitialization());
    const auto address = (*device->memory())["factory-reset"];
    ASSERT_TRUE(address);
    const auto poke = *buildRequest(Command::POKEC, 2, 1, *address, Bytes{1, 0, 0, 0});
    EXPECT_TRUE(device->execute(Command::POKEC, poke)) << "the reset itself is still sent";
    EXPECT_TRUE(device->line().resetting());

    const auto sent = line->writes().size();
    EXPECT_FALSE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    EXPECT_EQ(line->writes().size(), sent);

    device->line().setResetting(false);
    EXPECT_TRUE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));

    // A poke anywhere else leaves the device usable.
    const auto other = *buildRequest(Command::POKEC, 2, 1, *address - 4, Bytes{1, 0, 0, 0});
    EXPECT_TRUE(device->execute(Command::POKEC, other));
    EXPECT_FALSE(device->line().resetting());
}

TEST_F(DeviceTest, WhoAreYouReplyMayStartWithALineBreak) {
    line->setResponder([](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] != Command::WHO_RU) return okReply();
        Bytes reply = {13, 10};
        for (char c : std::string("Brellwick,,NAX3,,2.0.1")) reply.push_back(static_cast<std::uint8_t>(c));
        return reply;
    });
    ASSERT_TRUE(device->bringUp().open());
    const auto response = device->execute(Command::WHO_RU, header(Command::WHO_RU));
    ASSERT_TRUE(response);
    ASSERT_TRUE(response->model);
    EXPECT_EQ(response->model->name(), "NAX3");
    EXPECT_EQ(response->model->version().description(), "2.0.1");
}

TEST_F(DeviceTest, HistoryRecordsParsedExchangesInOrder) {
    line->setResponder([](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] == Command::READ_PRESET) {
            if (request[4] == 9) return Bytes{6, 0};
            return okReply(Bytes(104, 7));
        }
        if (request[0] == Command::GET_TMO) return okReply({1, 2});  // too short: no record
        return okReply();
    });
    ASSERT_TRUE(device->bringUp().open());
    device->line().history().enable();
    const auto occupied = device->execute(Command::READ_PRESET, header(Command::READ_PRESET, 0, 104, 3));
    const auto empty = device->execute(Command::READ_PRESET, header(Command::READ_PRESET, 0, 104, 9));
    const auto broken = device->execute(Command::GET_TMO, header(Command::GET_TMO, 0, 4));
    ASSERT_TRUE(occupied);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->error, 6);
    EXPECT_FALSE(broken);

    const auto history = device->line().history().entries();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].command, "READ_PRESET");
    EXPECT_EQ(history[0].index, 0u);
    EXPECT_FALSE(history[0].skippable);
    EXPECT_EQ(history[0].response.size(), 106u);
    EXPECT_EQ(history[1].index, 1u);
    EXPECT_TRUE(history[1].skippable);
    EXPECT_EQ(history[1].request, header(Command::READ_PRESET, 0, 104, 9));

    device->line().history().drop();
    EXPECT_FALSE(device->line().history().enabled());
    EXPECT_TRUE(device->line().history().entries().empty());
}

// A long session keeps the newest exchanges only; they keep their numbers, and navigation
// by those numbers still finds them.
TEST_F(DeviceTest, HistoryKeepsTheNewestTenThousandExchanges) {
    line->setResponder([](const Bytes&) -> std::optional<Bytes> { return okReply(Bytes(104, 7)); });
    ASSERT_TRUE(device->bringUp().open());
    device->line().history().enable();
    constexpr std::size_t kKept = 10000, kMade = kKept + 25;
    for (std::size_t i = 0; i < kMade; ++i)
        ASSERT_TRUE(device->execute(Command::READ_PRESET, header(Command::READ_PRESET, 0, 104, 3)));
    const auto history = device->line().history().entries();
    ASSERT_EQ(history.size(), kKept);
    EXPECT_EQ(history.front().index, kMade - kKept);
    EXPECT_EQ(history.back().index, kMade - 1);
    EXPECT_EQ(device->line().history().historicalEvent(0)->index, kMade - kKept);
    EXPECT_EQ(device->line().history().historicalEvent(kMade - 2)->index, kMade - 2);
    EXPECT_EQ(
        device->line().history().historicalEventAfterIndexIgnoringEmptyPresets(kMade - 3)->index,
        kMade - 2);
    EXPECT_EQ(device->line()
                  .history()
                  .historicalEventBeforeIndexIgnoringEmptyPresets(kMade - kKept + 1)
                  ->index,
              kMade - kKept);
}

TEST_F(DeviceTest, NewNodeIsToldToSwitchAndRemembered) {
    ASSERT_TRUE(createDirectories(deviceCacheDirectory()));
    ASSERT_TRUE(device->bringUp().open());
    const auto commands = line->commandsWritten();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], Command::SET_BAUD);
    // Not remembered until the pedal has answered at the new speed.
    EXPECT_EQ(device->filenumber(), 0u);
    ASSERT_TRUE(device->bringUp().handshake());
    EXPECT_EQ(device->filenumber(), 0u);
    device = std::make_shared<QORUARTDevice>(device->filename(), "MIV3", device->serial(), line);
    ASSERT_TRUE(device->completeInitialization());
    EXPECT_EQ(requestArgument(line->writes()[0]), kFastSpeed);
    EXPECT_EQ(line->speedsSet(), (std::vector<std::uint32_t>{kFastSpeed, kFastSpeed}));
    EXPECT_EQ(device->filenumber(), line->nodeFileNumber);

    settleDisk();
    const auto saved = DeviceCache::load(device->cachePath());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->unsignedValue("filenumber"), line->nodeFileNumber);

    // The next run on the same node only switches the host side.
    auto again = std::make_shared<ScriptedLine>();
    again->setResponder(pedal);
    QORUARTDevice second(device->filename(), "MIV3", device->serial(), again);
    second.setCache(*saved);
    ASSERT_TRUE(second.bringUp().open());
    EXPECT_TRUE(again->commandsWritten().empty());
    EXPECT_EQ(again->speedsSet(), std::vector<std::uint32_t>{kFastSpeed});

    // A replugged pedal gets a new node and is told again.
    auto replugged = std::make_shared<ScriptedLine>();
    replugged->setResponder(pedal);
    replugged->nodeFileNumber = 777;
    QORUARTDevice third(device->filename(), "MIV3", device->serial(), replugged);
    third.setCache(*saved);
    ASSERT_TRUE(third.bringUp().open());
    EXPECT_EQ(replugged->commandsWritten(), std::vector<std::uint8_t>{Command::SET_BAUD});
}

// A MIV3 that follows the line speed as the hardware does: it runs at its boot speed until
// told to switch, and hears nothing sent at another speed than its own.
class SpeedFollowingPedal {
  public:
    explicit SpeedFollowingPedal(ScriptedLine& line) : line_(line) {}
    std::optional<Bytes> operator()(const Bytes& request) {
        if (line_.hostSpeed() != speed) return std::nullopt;
        if (request[0] == Command::SET_BAUD) {
            speed = requestArgument(request);
            return okReply();
        }
        if (request[0] == Command::WHO_RU && !answersWhoRU) return std::nullopt;
        return pedal(request);
    }
    static constexpr std::uint32_t kBootSpeed = 115200;
    std::uint32_t speed = kBootSpeed;
    bool answersWhoRU = true;

  private:
    ScriptedLine& line_;
};

TEST_F(DeviceTest, PedalRestartedBehindARememberedNodeIsToldToSwitchAgain) {
    ASSERT_TRUE(createDirectories(deviceCacheDirectory()));
    std::remove(device->cachePath().c_str());
    auto follower = std::make_shared<SpeedFollowingPedal>(*line);
    line->setResponder([follower](const Bytes& r) { return (*follower)(r); });
    ASSERT_TRUE(device->completeInitialization());
    settleDisk();
    const auto remembered = DeviceCache::load(device->cachePath());
    ASSERT_TRUE(remembered);
    ASSERT_EQ(remembered->unsignedValue("filenumber"), line->nodeFileNumber);

    // Power-cycled: back at its boot speed, behind the same node.
    follower->speed = SpeedFollowingPedal::kBootSpeed;
    const std::size_t sentBefore = line->writes().size();
    QORUARTDevice again(device->filename(), "MIV3", device->serial(), line);
    again.setCache(*remembered);
    ASSERT_TRUE(again.completeInitialization()) << again.failureReason();
    const auto commands = line->commandsWritten();
    const std::vector<std::uint8_t> sent(commands.begin() + static_cast<long>(sentBefore),
                                         commands.end());
    const std::vector<std::uint8_t> expected{Command::WHO_RU,  Command::SET_BAUD,
                                             Command::WHO_RU,  Command::GET_CMDS,
                                             Command::GET_TMO, Command::PRESET_INFO};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(follower->speed, kFastSpeed);
    ASSERT_TRUE(again.model());

    // One that is still at its fast speed costs no second try.
    const std::size_t sentThen = line->writes().size();
    QORUARTDevice third(device->filename(), "MIV3", device->serial(), line);
    third.setCache(*remembered);
    ASSERT_TRUE(third.completeInitialization());
    EXPECT_EQ(line->commandsWritten()[sentThen], Command::WHO_RU);
    EXPECT_EQ(line->writes().size() - sentThen, 4u);
}

TEST_F(DeviceTest, NodeNumberIsKeptOnlyAfterAHandshake) {
    ASSERT_TRUE(createDirectories(deviceCacheDirectory()));
    std::remove(device->cachePath().c_str());
    auto follower = std::make_shared<SpeedFollowingPedal>(*line);
    follower->answersWhoRU = false;
    line->setResponder([follower](const Bytes& r) { return (*follower)(r); });
    EXPECT_FALSE(device->completeInitialization());
    EXPECT_EQ(device->failureReason(), "no answer to WHO_RU");
    settleDisk();
    const auto saved = DeviceCache::load(device->cachePath());
    EXPECT_TRUE(!saved || saved->unsignedValue("filenumber").value_or(0) == 0);

    // So the next attempt tells the pedal to switch again.
    follower->answersWhoRU = true;
    follower->speed = SpeedFollowingPedal::kBootSpeed;
    QORUARTDevice again(device->filename(), "MIV3", device->serial(), line);
    if (saved) again.setCache(*saved);
    const std::size_t sentBefore = line->writes().size();
    ASSERT_TRUE(again.completeInitialization()) << again.failureReason();
    EXPECT_EQ(line->commandsWritten()[sentBefore], Command::SET_BAUD);
}

TEST_F(DeviceTest, InterruptedAndPartialCallsAreFinished) {
    line->writeChunk = 3;
    line->interruptedWrites = 2;
    line->interruptedReads = 2;
    line->readChunk = 5;
    ASSERT_TRUE(device->completeInitialization()) << device->failureReason();
    ASSERT_TRUE(device->model());
    EXPECT_EQ(device->presetsSchema().presets, 100);

    // A request with a payload arrives whole, however the kernel cut it up.
    line->interruptedWrites = 1;
    line->interruptedReads = 1;
    const Bytes name{'a', 'b', 0};
    const auto request = buildRequest(Command::SET_PRESET_NAME, 0, 3, 7, name);
    ASSERT_TRUE(request);
    EXPECT_TRUE(device->execute(Command::SET_PRESET_NAME, *request));
    EXPECT_EQ(line->writes().back(), *request);
}

TEST_F(DeviceTest, ALineThatNeverFallsSilentFailsTheExchange) {
    ASSERT_TRUE(device->completeInitialization());
    line->babble = 0x00;
    EXPECT_FALSE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    line->babble.reset();
    EXPECT_TRUE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
}

TEST_F(DeviceTest, ModelWithoutSpeedStaysAt115200) {
    QORUARTDevice unknown("cu.usbserial-Q", "XYZ9", "", line);
    ASSERT_TRUE(unknown.bringUp().open());
    ASSERT_EQ(line->writes().size(), 1u);
    EXPECT_EQ(requestArgument(line->writes()[0]), 115200u);
    EXPECT_EQ(line->speedsSet(), std::vector<std::uint32_t>{115200});
}

TEST_F(DeviceTest, OpenFailsAtEachStep) {
    struct Case {
        const char* what;
        std::function<void(ScriptedLine&)> breakIt;
        bool descriptorKept;
    };
    const Case cases[] = {
        {"no file number", [](ScriptedLine& l) { l.nodeFileNumber = 0; }, false},
        {"open refused", [](ScriptedLine& l) { l.openResult = -13; }, false},
        {"exclusive access", [](ScriptedLine& l) { l.exclusiveWorks = false; }, true},
        {"raw mode", [](ScriptedLine& l) { l.rawWorks = false; }, true},
        {"host speed", [](ScriptedLine& l) { l.speedWorks = false; }, true},
    };
    for (const auto& c : cases) {
        auto broken = std::make_shared<ScriptedLine>();
        broken->setResponder(pedal);
        c.breakIt(*broken);
        QORUARTDevice d("cu.usbserial-F", "MIV3", "", broken);
        EXPECT_FALSE(d.bringUp().open()) << c.what;
        EXPECT_EQ(d.line().file() >= 0, c.descriptorKept) << c.what;
        EXPECT_FALSE(d.failureReason().empty()) << c.what;
    }
    // A pedal silent at the switch may still run at its fast speed: the bring-up, not the
    // opening, gives up once it answers at neither speed.
    auto silent = std::make_shared<ScriptedLine>();
    silent->setResponder([](const Bytes&) { return std::nullopt; });
    QORUARTDevice quiet("cu.usbserial-F", "MIV3", "", silent);
    EXPECT_FALSE(quiet.completeInitialization());
    EXPECT_NE(quiet.failureReason().find("SET_BAUD"), std::string::npos) << quiet.failureReason();
    auto refused = std::make_shared<ScriptedLine>();
    refused->openResult = -13;
    QORUARTDevice d("cu.usbserial-F", "MIV3", "", refused);
    EXPECT_FALSE(d.bringUp().open());
    EXPECT_NE(d.failureReason().find("Permission denied"), std::string::npos) << d.failureReason();
}

TEST_F(DeviceTest, HandshakeFailsAtEachOfItsSteps) {
    const std::uint8_t steps[] = {Command::WHO_RU, Command::GET_CMDS, Command::GET_TMO, Command::PRESET_INFO};
    for (std::size_t failing = 0; failing < 4; ++failing) {
        auto l = std::make_shared<ScriptedLine>();
        const std::uint8_t bad = steps[failing];
        l->setResponder([bad](const Bytes& request) -> std::optional<Bytes> {
            if (request[0] == bad) return Bytes{3, 0};
            return pedal(request);
        });
        QORUARTDevice d("cu.usbserial-H", "MIV3", "", l);
        EXPECT_FALSE(d.completeInitialization()) << int(bad);
        EXPECT_FALSE(d.model()) << int(bad);
        auto sent = l->commandsWritten();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), bad) << "nothing is sent after the failing step";
        EXPECT_EQ(d.failureReason(), "no answer to " + std::string(*commandName(bad)));
    }

    // Zero preset slots is a failed handshake too.
    line->setResponder([](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] == Command::PRESET_INFO) return okReply({0, 104, 0});
        return pedal(request);
    });
    EXPECT_FALSE(device->completeInitialization());
}

TEST_F(DeviceTest, BringUpIdentifiesThePedal) {
    ASSERT_TRUE(device->completeInitialization());
    ASSERT_TRUE(device->model());
    EXPECT_EQ(device->model()->name(), "MIV3");
    EXPECT_EQ(device->model()->version().major, 42);
    EXPECT_EQ(device->commands(), (std::set<std::uint8_t>{1, 5, 13, 16, 17}));
    EXPECT_EQ(device->timeouts(), Timeouts::timeoutsForReboot(2, 1, 2, 3));
    EXPECT_EQ(device->presetsSchema().presets, 100);
    ASSERT_TRUE(device->memory());
    EXPECT_EQ((*device->memory())["base"], 0x1190078Cu);

    const auto state = device->bringUp().getInitialDeviceState();
    EXPECT_TRUE(state.isOccupied(0));
    EXPECT_FALSE(state.isOccupied(1));
    EXPECT_TRUE(state.isOccupied(2));
    EXPECT_EQ(SettingsBlock::fromLCXreply(state).midiChannel, 3u);

    // The handshake's requests, byte for byte.
    const auto writes = line->writes();
    ASSERT_GE(writes.size(), 5u);
    EXPECT_EQ(writes[1], (Bytes{0x0D, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(writes[2], (Bytes{0x01, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(writes[3], (Bytes{0x05, 0, 4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(writes[4], (Bytes{0x10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(writes.back(), (Bytes{0x16, 0, 3, 0, 16, 0, 0, 0}));
}

TEST_F(DeviceTest, NaxHasNoMemoryMap) {
    line->setResponder([](const Bytes& request) -> std::optional<Bytes> {
        if (request[0] == Command::WHO_RU) return textReply("QOR,,NAX3,,3.1");
        return pedal(request);
    });
    QORUARTDevice nax("cu.usbserial-N", "NAX3", "", line);
    ASSERT_TRUE(nax.completeInitialization());
    EXPECT_FALSE(nax.memory());
    EXPECT_EQ(requestArgument(line->writes()[0]), 115200u);
}

TEST_F(DeviceTest, FastFramingGivesTheSameRecords) {
    line->readChunk = 7;  // replies trickle in
    device->line().setFraming(Framing::silence);
    ASSERT_TRUE(device->completeInitialization());
    const Bytes requests[] = {header(Command::GET_TMO, 0, 4), header(Command::PRESET_INFO),
                              header(Command::LOCAL_CONTROLX, 0, 3, 16), header(Command::GET_CMDS),
                              header(Command::SET_BAUD, 2, 0, 115200)};
    std::vector<std::optional<UARTResponse>> slow;
    for (const auto& r : requests) slow.push_back(device->execute(r[0], r));
    device->line().setFraming(Framing::fast);
    for (std::size_t i = 0; i < std::size(requests); ++i) {
        line->injectInput({0xEE, 0xEE});  // stale bytes from an earlier exchange
        const auto fast = device->execute(requests[i][0], requests[i]);
        ASSERT_EQ(fast.has_value(), slow[i].has_value()) << i;
        if (!fast) continue;
        EXPECT_EQ(fast->commands, slow[i]->commands);
        EXPECT_EQ(fast->timeouts, slow[i]->timeouts);
        EXPECT_EQ(fast->presetsSchema, slow[i]->presetsSchema);
        EXPECT_EQ(fast->lcxreply, slow[i]->lcxreply);
    }
    EXPECT_EQ(line->discards(), static_cast<int>(std::size(requests)));
}

TEST_F(DeviceTest, FastFramingStopsReadingOnceTheReplyIsComplete) {
    ASSERT_TRUE(device->bringUp().open());
    device->line().setFraming(Framing::fast);
    line->readChunk = 50;
    const int before = line->reads();
    ASSERT_TRUE(device->execute(Command::LOCAL_CONTROLX, header(Command::LOCAL_CONTROLX, 0, 3, 16)));
    EXPECT_EQ(line->reads() - before, 1) << "a complete 50-byte reply needs no silence";

    const int again = line->reads();
    ASSERT_TRUE(device->execute(Command::GET_CMDS, header(Command::GET_CMDS)));
    EXPECT_GT(line->reads() - again, 1) << "a list reply still ends with silence";
}

}  // namespace
}  // namespace harbrix
