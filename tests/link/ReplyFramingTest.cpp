// Guarded framing against a scripted line: a reply ends once its length has arrived and the
// guard has passed, and anything it cannot trust sends the pedal back to the silence rule,
// with the reply handed over whole and one log line saying why.
#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"
#include "support/ScriptedLine.h"

namespace harbrix {
namespace {

using test::okReply;
using test::ScriptedLine;

const Bytes kSchema = okReply({100, 104, 0});

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ReplyFramingTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedLine> line = std::make_shared<ScriptedLine>();
    std::shared_ptr<QORUARTDevice> device;
    std::vector<std::string> logged;
    LogCapture capture{[this](const std::string& l) { logged.push_back(l); }};
    // What the pedal answers next, and what follows it `laterMs` after.
    Bytes reply = kSchema;
    Bytes later;
    int laterMs = 0;

    void SetUp() override {
        line->setResponder([this](const Bytes& request) -> std::optional<Bytes> {
            // The line's own set-up is answered plainly.
            if (request[0] != Command::PRESET_INFO && request[0] != Command::READ_PRESET &&
                request[0] != Command::LOCAL_CONTROLX) {
                return okReply();
            }
            if (!later.empty()) line->injectLater(later, laterMs);
            if (reply.empty()) return std::nullopt;
            return reply;
        });
        device = std::make_shared<QORUARTDevice>("cu.usbserial-FRAMING", "NAX3", "", line);
        ASSERT_TRUE(device->bringUp().open());
        device->line().setFraming(Framing::guarded);
        logged.clear();
    }

    std::optional<UARTResponse> presetInfo() {
        return device->execute(Command::PRESET_INFO, *buildRequest(Command::PRESET_INFO, 0, 0, 0));
    }

    int fallBackLines() const {
        int n = 0;
        for (const auto& l : logged) n += l.find("end with silence") != std::string::npos;
        return n;
    }
};

TEST_F(ReplyFramingTest, CompleteRepliesEndAfterTheGuardWhicheverWayTheyArrive) {
    for (const std::size_t chunk : {std::size_t{1024}, std::size_t{1}}) {
        line->readChunk = chunk;
        const int before = line->reads();
        const auto record = presetInfo();
        ASSERT_TRUE(record) << chunk;
        EXPECT_EQ(record->presetsSchema.presets, 100);
        // The pieces, then one wait of the guard, never a wait for silence after it.
        EXPECT_EQ(line->reads() - before, chunk == 1 ? 6 : 2);
    }
    // Stray bytes after the guard are not this reply's, and the next request drops them.
    later = {0xA5, 0xA5};
    laterMs = 40;
    ASSERT_TRUE(presetInfo());
    later.clear();
    reply = okReply(Bytes(48, 7));
    const auto state =
        device->execute(Command::LOCAL_CONTROLX, *buildRequest(Command::LOCAL_CONTROLX, 0, 3, 16));
    ASSERT_TRUE(state);
    EXPECT_EQ(device->line().framingNow(), Framing::guarded);
    EXPECT_EQ(fallBackLines(), 0);
}

TEST_F(ReplyFramingTest, ErrorRepliesEndWithSilenceWithoutFallingBack) {
    reply = {6, 0};
    const auto empty =
        device->execute(Command::READ_PRESET, *buildRequest(Command::READ_PRESET, 0, 104, 3));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->error, 6);
    EXPECT_EQ(device->line().framingNow(), Framing::guarded);
}

TEST_F(ReplyFramingTest, EveryAnomalyFallsBackWithOneLogLineAndTheWholeReply) {
    struct Case {
        const char* why;
        Bytes reply;
        Bytes later;
        int laterMs;
        bool parses;
    };
    const Case cases[] = {
        {"within the guard", kSchema, {0xA5}, 5, true},
        {"longer", concat(kSchema, {0xA5, 0xA5}), {}, 0, true},
        {"shorter", okReply({100}), {}, 0, false},
        {"no answer", {}, {}, 0, false},
        {"did not parse", okReply({0, 104, 0}), {}, 0, false},
    };
    for (const auto& c : cases) {
        SetUp();
        reply = c.reply;
        later = c.later;
        laterMs = c.laterMs;
        const auto record = presetInfo();
        EXPECT_EQ(record.has_value(), c.parses) << c.why;
        EXPECT_EQ(device->line().framingNow(), Framing::silence) << c.why;
        ASSERT_EQ(fallBackLines(), 1) << c.why;
        EXPECT_NE(logged.back().find("cu.usbserial-FRAMING"), std::string::npos) << logged.back();
        if (c.parses) {
            EXPECT_EQ(record->presetsSchema.presets, 100);
        }
        // Later anomalies are read under the silence rule and say nothing more.
        reply = c.reply;
        presetInfo();
        EXPECT_EQ(fallBackLines(), 1) << c.why;
    }
    // Opening the line again (the pedal reconnected) starts over in the chosen framing.
    ASSERT_TRUE(device->bringUp().open());
    EXPECT_EQ(device->line().framingNow(), Framing::guarded);
}

}  // namespace
}  // namespace harbrix
