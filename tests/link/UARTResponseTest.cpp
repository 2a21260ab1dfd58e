// Reply parsing for every payload kind: boundaries of the accepted lengths, malformed
// payloads, device errors, and the commands that carry nothing.
#include "link/UARTResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "link/Commands.h"

namespace harbrix {
namespace {

Bytes reply(std::initializer_list<std::uint8_t> header, std::size_t payloadSize = 0,
            std::uint8_t fill = 0xAB) {
    Bytes bytes(header);
    bytes.resize(bytes.size() + payloadSize, fill);
    return bytes;
}

Bytes textReply(const std::string& text) {
    Bytes bytes(2 + text.size(), 0);
    std::copy(text.begin(), text.end(), bytes.begin() + 2);
    return bytes;
}

void appendWord(Bytes& bytes, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

TEST(Reply, TooShortForAHeaderIsNothingWhateverTheCommand) {
    for (int code = 0; code < 256; ++code) {
        EXPECT_FALSE(UARTResponse::response(Bytes{}, static_cast<std::uint8_t>(code)));
        EXPECT_FALSE(UARTResponse::response(Bytes{0}, static_cast<std::uint8_t>(code)));
    }
}

TEST(Reply, DeviceErrorsFailExceptAnEmptySlot) {
    const auto empty = UARTResponse::response(Bytes{6, 1, 9, 9}, Command::READ_PRESET);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->error, 6);
    EXPECT_EQ(empty->command, 0);
    EXPECT_EQ(empty->development, 0);
    EXPECT_TRUE(empty->data.empty());

    EXPECT_FALSE(UARTResponse::response(Bytes{5, 0}, Command::READ_PRESET));
    EXPECT_FALSE(UARTResponse::response(Bytes{6, 0}, Command::PEEKC));
    EXPECT_FALSE(UARTResponse::response(Bytes{1, 0}, Command::SET_BAUD));
    EXPECT_FALSE(UARTResponse::response(Bytes{0xFF, 0, 1, 0}, Command::GET_CMDS));
}

TEST(Reply, CommandsWithoutPayloadKeepOnlyTheHeader) {
    const std::set<int> payloadCommands{0x01, 0x02, 0x03, 0x05, 0x0D, 0x10,
                                        0x11, 0x12, 0x13, 0x15, 0x16, 0x70};
    for (int code = 0; code < 256; ++code) {
        if (payloadCommands.count(code)) continue;
        const auto record = UARTResponse::response(Bytes{0, 0x5A, 1, 2, 3}, code);
        ASSERT_TRUE(record) << code;
        EXPECT_EQ(record->command, code);
        EXPECT_EQ(record->development, 0x5A);
        EXPECT_EQ(record->position, 2u);
        EXPECT_TRUE(record->data.empty()) << code;
    }
}

TEST(Reply, DataLengthsFromEmptyTo256Bytes) {
    for (std::uint8_t command :
         {Command::READ_FLASH, Command::READ_PAGE, Command::READ_PRESET, Command::PEEKC}) {
        const auto none = UARTResponse::response(reply({0, 0}), command);
        ASSERT_TRUE(none) << +command;
        EXPECT_TRUE(none->data.empty());
        const auto full = UARTResponse::response(reply({0, 0}, 256, 0x3C), command);
        ASSERT_TRUE(full) << +command;
        EXPECT_EQ(full->data, Bytes(256, 0x3C));
        EXPECT_FALSE(UARTResponse::response(reply({0, 0}, 257), command)) << +command;
    }
    const auto payload = UARTResponse::response(Bytes{0, 0, 0x11, 0x22, 0x33}, Command::PEEKC);
    EXPECT_EQ(payload->data, (Bytes{0x11, 0x22, 0x33}));
}

TEST(Reply, SelectedPresetByte) {
    const auto record = UARTResponse::response(Bytes{0, 0, 42, 7}, Command::GET_PRESET);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->byte, 42);
    EXPECT_FALSE(UARTResponse::response(Bytes{0, 0}, Command::GET_PRESET));
    EXPECT_FALSE(UARTResponse::response(reply({0, 0}, 257), Command::GET_PRESET));
}

TEST(Reply, TimeoutsNeedExactlyFourBytes) {
    const auto record = UARTResponse::response(Bytes{0, 0, 5, 1, 2, 30}, Command::GET_TMO);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->timeouts, Timeouts::timeoutsForReboot(5, 1, 2, 30));
    EXPECT_FALSE(UARTResponse::response(Bytes{0, 0, 5, 1, 2}, Command::GET_TMO));
    EXPECT_FALSE(UARTResponse::response(Bytes{0, 0, 5, 1, 2, 30, 0}, Command::GET_TMO));
}

TEST(Reply, CommandListEndsAtZeroOrAtTheEnd) {
    const struct {
        Bytes bytes;
        std::set<std::uint8_t> expected;  // empty: no record
    } cases[] = {
        {{0, 0, 1, 0x0D, 0}, {1, 0x0D}},
        {{0, 0, 1, 0x0D, 0, 0x16}, {1, 0x0D}},
        {{0, 0, 0x16, 0x16, 0xF4}, {0x16, 0xF4}},
        {{0, 0, 0x70, 0x01}, {0x70, 0x01}},
        {{0, 0, 0, 0}, {}},
        {{0, 0, 0, 1, 2}, {}},
        {{0, 0, 1}, {}},
    };
    for (const auto& c : cases) {
        const auto record = UARTResponse::response(c.bytes, Command::GET_CMDS);
        if (c.expected.empty()) {
            EXPECT_FALSE(record) << c.bytes.size();
        } else {
            ASSERT_TRUE(record);
            EXPECT_EQ(record->commands, c.expected);
        }
    }
}

TEST(Reply, PresetsSchemaNeedsSlots) {
    const auto record = UARTResponse::response(Bytes{0, 0, 100, 52, 2, 0xEE}, Command::PRESET_INFO);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->presetsSchema, (PresetsSchema{100, 52, 2}));
    EXPECT_FALSE(UARTResponse::response(Bytes{0, 0, 0, 52, 2}, Command::PRESET_INFO));
    EXPECT_FALSE(UARTResponse::response(Bytes{0, 0, 100, 52}, Command::PRESET_INFO));
}

TEST(Reply, SpeedsAreLittleEndianWordsUpToZero) {
    Bytes bytes{0, 0};
    appendWord(bytes, 115200);
    appendWord(bytes, 2000000);
    Bytes withEnd = bytes;
    appendWord(withEnd, 0);
    appendWord(withEnd, 9600);
    Bytes withTail = bytes;
    withTail.insert(withTail.end(), {0x80, 0x25, 0x00});  // a partial word is not a speed

    for (const Bytes& b : {bytes, withEnd, withTail}) {
        const auto record = UARTResponse::response(b, Command::BAUD_LIST);
        ASSERT_TRUE(record) << b.size();
        EXPECT_EQ(record->speeds, (std::vector<std::uint32_t>{115200, 2000000}));
    }

    Bytes zeroFirst{0, 0};
    appendWord(zeroFirst, 0);
    appendWord(zeroFirst, 115200);
    EXPECT_FALSE(UARTResponse::response(zeroFirst, Command::BAUD_LIST));
    Bytes one{0, 0};
    appendWord(one, 115200);
    EXPECT_FALSE(UARTResponse::response(one, Command::BAUD_LIST));  // 6 bytes: shorter than 10
    one.insert(one.end(), {0, 0, 0, 0});
    EXPECT_TRUE(UARTResponse::response(one, Command::BAUD_LIST));
}

TEST(Reply, StateBlockIsTakenOnlyWhenComplete) {
    Bytes full{0, 0};
    for (int i = 0; i < 48; ++i) full.push_back(static_cast<std::uint8_t>(i + 1));
    full.push_back(0xEE);  // beyond the block
    const auto record = UARTResponse::response(full, Command::LOCAL_CONTROLX);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->lcxreply.chBF, 1);
    EXPECT_EQ(record->lcxreply.nmtB[15], 48);

    for (std::size_t size : {2u, 10u, 49u}) {
        const auto shortBlock = UARTResponse::response(Bytes(full.begin(), full.begin() + size),
                                                       Command::LOCAL_CONTROLX);
        ASSERT_TRUE(shortBlock) << size;
        EXPECT_EQ(shortBlock->lcxreply, LCXreply{}) << size;
    }
}

TEST(Reply, PresetNameIsTrimmedCheckedText) {
    using namespace std::string_literals;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"  Lead Tone \r\n", "Lead Tone"},
        {"Crunch\0garbage \xFF"s, "Crunch"},  // text ends at the first zero
        {"", ""},
        {"\xC2\xA0Gain \xC3\xBC\xE3\x80\x80", "Gain \xC3\xBC"},  // Unicode spaces trimmed too
        {"Bad \xC3\x28", std::nullopt},
        {"Cut \xE2\x82", std::nullopt},
        {"\xC0\xAF", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto record = UARTResponse::response(textReply(text), Command::GET_PRESET_NAME);
        if (!expected) {
            EXPECT_FALSE(record) << text;
        } else {
            ASSERT_TRUE(record) << text;
            EXPECT_EQ(record->string, *expected);
        }
    }
    EXPECT_TRUE(UARTResponse::response(textReply(std::string(256, 'n')), Command::GET_PRESET_NAME));
    EXPECT_FALSE(
        UARTResponse::response(textReply(std::string(257, 'n')), Command::GET_PRESET_NAME));
}

TEST(Reply, IdentityBecomesARegisteredModel) {
    using namespace std::string_literals;
    const auto record = UARTResponse::response(
        textReply("Brellwick,,WHOTEST,,41.2,,Mar 4 2021 10:11:12\r\n\0junk"s), Command::WHO_RU);
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->model);
    EXPECT_EQ(record->model->name(), "WHOTEST");
    EXPECT_EQ(record->model->version().description(), "41.2");
    EXPECT_TRUE(record->model->date());
    EXPECT_EQ(Model::get("WHOTEST"), record->model);
}

TEST(Reply, IdentityMayStartWithALineEnd) {
    Bytes bytes = textReply("QOR,,MIV3,,1.2");
    bytes[0] = '\r';
    bytes[1] = '\n';
    const auto record = UARTResponse::response(bytes, Command::WHO_RU);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->error, 0);
    EXPECT_EQ(record->model->name(), "MIV3");
    // Only WHO_RU is answered that way; elsewhere 13 is an error code.
    EXPECT_FALSE(UARTResponse::response(Bytes{'\r', '\n', 1, 2, 3}, Command::GET_CMDS));
    bytes[1] = 0;
    EXPECT_FALSE(UARTResponse::response(bytes, Command::WHO_RU));
}

TEST(Reply, IdentityRefusals) {
    using namespace std::string_literals;
    Bytes tooLong = textReply("QOR,,MIV3,,1.2");
    tooLong.resize(261, ' ');
    const std::pair<Bytes, const char*> cases[] = {
        {tooLong, "longer than 260 bytes"},
        {textReply("Acme,,MIV3,,1.2"), "unknown vendor"},
        {textReply("QOR,,MIV3,,1.2\xFF"), "not UTF-8"},
        {textReply("QOR\0,,MIV3,,1.2"s), "text ends at the zero"},
    };
    for (const auto& [bytes, why] : cases)
        EXPECT_FALSE(UARTResponse::response(bytes, Command::WHO_RU)) << why;
    Bytes longest = textReply("QOR,,MIV3,,1.2");
    longest.resize(260, ' ');
    EXPECT_TRUE(UARTResponse::response(longest, Command::WHO_RU));
}

}  // namespace
}  // namespace harbrix
