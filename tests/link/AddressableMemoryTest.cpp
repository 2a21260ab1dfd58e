// Address look-up in the pedal's memory map: which firmware gets which base, and what every
// form of key, good or bad, resolves to.
#include <gtest/gtest.h>

#include "link/AddressableMemory.h"
#include "link/Model.h"

namespace harbrix {
namespace {

std::shared_ptr<Model> model(const std::string& name, const std::string& version) {
    return Model::modelFromSerializedRepresentation("QOR,," + name + ",," + version);
}

TEST(AddressableMemoryTest, BaseFollowsTheFirmwareMajor) {
    const struct {
        const char* version;
        std::uint32_t base;      // from the table; 0 when it has none
        std::uint32_t usedBase;  // what the map is built on
    } cases[] = {
        {"39.0.0", 0x11900A70, 0x11900A70}, {"40.2.1", 0x119007B0, 0x119007B0},
        {"41.0.0", 0x1190080C, 0x1190080C}, {"42.9.9", 0x1190078C, 0x1190078C},
        {"45.0.0", 0, 0x1190078C},          {"29.0.0", 0, 0x1190078C},
    };
    for (const auto& c : cases) {
        const auto miv = model("MIV3", c.version);
        ASSERT_TRUE(miv);
        EXPECT_EQ(AddressableMemory::base(*miv), c.base) << c.version;
        const auto memory = AddressableMemory::addressableMemory(*miv);
        ASSERT_TRUE(memory) << c.version;
        EXPECT_EQ((*memory)["base"], c.usedBase) << c.version;
        EXPECT_EQ((*memory)["factory-reset"], c.usedBase + 32) << c.version;
    }
    EXPECT_FALSE(AddressableMemory::addressableMemory(*model("NAX3", "42.0.0")));
}

TEST(AddressableMemoryTest, KeysResolveToBasePlusOffset) {
    constexpr std::uint32_t base = 0x1190078C;
    const auto memory = AddressableMemory::withBase(base);
    const struct {
        const char* key;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"base", base},
        {"selected-preset", base},
        {"midi/channel", base + 4},
        {"midi/thru", base + 8},
        {"midi/keyboard", base + 12},
        {"midi/pitch-wheel-sensitivity", base + 16},
        {"display/contrast", base + 20},
        {"display/homeview", base + 24},
        {"display/name-crawl", base + 28},
        {"factory-reset", base + 32},
        // A second part after a single cell is ignored.
        {"factory-reset/anything", base + 32},
        {"selected-preset/", base},
        {"base/anything", base},
        // Groups need a cell, and a cell of their own.
        {"midi", std::nullopt},
        {"midi/", std::nullopt},
        {"midi/contrast", std::nullopt},
        {"display/channel", std::nullopt},
        {"channel", std::nullopt},
        // Malformed keys.
        {"", std::nullopt},
        {"/", std::nullopt},
        {"/midi", std::nullopt},
        {"/midi/channel", std::nullopt},
        {"midi/channel/x", std::nullopt},
        {"midi//channel", std::nullopt},
        {"MIDI/channel", std::nullopt},
        {"unknown", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(memory[c.key], c.address) << '"' << c.key << '"';
}

TEST(AddressableMemoryTest, NoMapOrNoBaseGivesNoAddress) {
    EXPECT_FALSE(AddressableMemory()["midi/channel"]);
    EXPECT_FALSE(AddressableMemory::withBase(0)["base"]);
    EXPECT_FALSE(AddressableMemory::withBase(0)["factory-reset"]);
}

TEST(AddressableMemoryTest, AddressesWrapAt32Bits) {
    const auto memory = AddressableMemory::withBase(0xFFFFFFF0);
    EXPECT_EQ(memory["factory-reset"], 0x10u);
    EXPECT_EQ(memory["display/name-crawl"], 0x0Cu);
}

}  // namespace
}  // namespace harbrix
