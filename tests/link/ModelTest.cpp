// Identity texts, build dates, the model registry and the checker hook.
#include "link/Model.h"

#include <gtest/gtest.h>

#include <atomic>

#include "link/BuildDate.h"
#include "link/Rails.h"

namespace harbrix {
namespace {

constexpr std::int64_t kMar4th2021 = 1614852672;  // Mar 4 2021 10:11:12 UTC

TEST(ModelText, ParsesOrRefuses) {
    const struct {
        const char* text;
        const char* name;  // nullptr: refused
        const char* version;
        std::optional<std::int64_t> date;
    } cases[] = {
        {"Brellwick,,MIV3,,1.2", "MIV3", "1.2", std::nullopt},
        {"QOR,,NAX3,,41.0.3", "NAX3", "41.0.3", std::nullopt},
        {" QOR \t,,  MIV3 \n,, v 2.1 ", "MIV3", "2.1", std::nullopt},
        {"Brellwick,,MIV3,,1.2,,Mar 4 2021 10:11:12", "MIV3", "1.2", kMar4th2021},
        {"Brellwick,,MIV3,,1.2,,not a date,,extra", "MIV3", "1.2", std::nullopt},
        {"Brellwick,,MIV3,,1.2,,,,", "MIV3", "1.2", std::nullopt},
        {"Brellwick,,MIV3,,1.2,,not a date", nullptr, nullptr, std::nullopt},
        {"Brellwick,,MIV3,,1.2,,", nullptr, nullptr, std::nullopt},
        {"Acme,,MIV3,,1.2", nullptr, nullptr, std::nullopt},
        {"qor,,MIV3,,1.2", nullptr, nullptr, std::nullopt},
        {"Brellwick Inc,,MIV3,,1.2", nullptr, nullptr, std::nullopt},
        {"QOR,,MIV3", nullptr, nullptr, std::nullopt},
        {"QOR,MIV3,1.2", nullptr, nullptr, std::nullopt},
        {"QOR,,MIV3,,0.0.0", nullptr, nullptr, std::nullopt},
        {"QOR,,MIV3,,beta", nullptr, nullptr, std::nullopt},
        {"QOR,,  ,,1.2", nullptr, nullptr, std::nullopt},
        {"", nullptr, nullptr, std::nullopt},
        {"QOR,,MIV3,,1.2\xC3", nullptr, nullptr, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto model = Model::modelFromSerializedRepresentation(c.text);
        if (!c.name) {
            EXPECT_FALSE(model) << c.text;
            continue;
        }
        ASSERT_TRUE(model) << c.text;
        EXPECT_EQ(model->name(), c.name) << c.text;
        EXPECT_EQ(model->version().description(), c.version) << c.text;
        EXPECT_EQ(model->date(), c.date) << c.text;
    }
}

TEST(ModelText, TripleCommasSplitLeftToRight) {
    // "QOR,,,MIV3,,1" splits into "QOR", ",MIV3", "1": the name keeps its comma.
    const auto model = Model::modelFromSerializedRepresentation("QOR,,,MIV3,,1");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->name(), ",MIV3");
}

TEST(BuildDates, ReadsEnglishMonthsAsUtc) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"Mar 4 2021 10:11:12", kMar4th2021},
        {"Mar  4 2021 10:11:12", kMar4th2021},  // padded day, as compilers print it
        {"mar 04 2021 10:11:12", kMar4th2021},
        {"Feb 29 2024 00:00:00", 1709164800},
        {"Dec 31 1999 23:59:59", 946684799},
        {"Jan 1 1970 00:00:00", 0},
        {"Jul 15 1960 12:00:00", -298641600},
        {"Feb 29 2021 00:00:00", std::nullopt},
        {"Apr 31 2021 00:00:00", std::nullopt},
        {"Mar 0 2021 00:00:00", std::nullopt},
        {"Mar 4 2021 24:00:00", std::nullopt},
        {"Mar 4 2021 10:60:00", std::nullopt},
        {"Mar 4 2021 10:11", std::nullopt},
        {"Mar 4 21 10:11:12", std::nullopt},
        {" Mar 4 2021 10:11:12", std::nullopt},
        {"Mar 4 2021 10:11:12 ", std::nullopt},
        {"Mär 4 2021 10:11:12", std::nullopt},
        {"March 4 2021 10:11:12", std::nullopt},
        {"Mar 4 2021", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, seconds] : cases) EXPECT_EQ(parseBuildDate(text), seconds) << text;
}

TEST(BuildDates, PrintsTheDayUnpadded) {
    EXPECT_EQ(formatBuildDay(kMar4th2021), "Mar 4 2021");
    EXPECT_EQ(formatBuildDay(1709164800 + 86399), "Feb 29 2024");
    EXPECT_EQ(formatBuildDay(-1), "Dec 31 1969");
}

TEST(ModelRecord, DescriptionIdentifiersAndEquality) {
    const auto dated =
        Model::modelFromSerializedRepresentation("QOR,,MIV3,,2.0.0,,Mar 4 2021 10:11:12");
    ASSERT_TRUE(dated);
    EXPECT_EQ(dated->description(), "MIV3 version 2 by Brellwick (Mar 4 2021)");
    EXPECT_EQ(dated->vendor(), kPedalVendorId);
    EXPECT_EQ(dated->product(), 0x0601u);

    const auto undated = Model::modelFromSerializedRepresentation("QOR,,NAX3,,1.0.1");
    ASSERT_TRUE(undated);
    EXPECT_EQ(undated->description(), "NAX3 version 1.0.1 by Brellwick (---)");
    EXPECT_EQ(undated->product(), 0x0600u);
    EXPECT_EQ(Model::modelFromSerializedRepresentation("QOR,,MIV4,,1")->product(), 0u);

    const auto again =
        Model::modelFromSerializedRepresentation("Brellwick,, MIV3,,2,,Mar 4 2021 10:11:12");
    EXPECT_EQ(*dated, *again);
    EXPECT_EQ(dated->hash(), again->hash());
    const auto otherDay =
        Model::modelFromSerializedRepresentation("QOR,,MIV3,,2.0.0,,Mar 5 2021 10:11:12");
    const auto noDay = Model::modelFromSerializedRepresentation("QOR,,MIV3,,2.0.0");
    EXPECT_FALSE(*dated == *otherDay);
    EXPECT_FALSE(*dated == *noDay);
    EXPECT_FALSE(*noDay == *dated);
}

TEST(ModelRegistry, LatestParseReplacesEarlier) {
    EXPECT_FALSE(Model::get(""));
    EXPECT_FALSE(Model::get("REGTEST"));
    const auto first = Model::modelFromSerializedRepresentation("QOR,,REGTEST,,1.0");
    EXPECT_EQ(Model::get("REGTEST"), first);
    const auto second = Model::modelFromSerializedRepresentation("QOR,,REGTEST,,2.0");
    EXPECT_EQ(Model::get("REGTEST"), second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->version().description(), "1");  // the earlier record itself is untouched

    EXPECT_FALSE(Model::modelFromSerializedRepresentation("QOR,,REGTEST,,0"));
    EXPECT_EQ(Model::get("REGTEST"), second);  // a failed parse registers nothing
}

struct TestChecker : FirmwareChecker {
    explicit TestChecker(std::string n) : name(std::move(n)) {}
    std::string name;
};

TEST(ModelChecker, CreatedLaterOnTheMainRailWithoutBlockingTheParse) {
    std::atomic<int> created{0};
    Model::setCheckerFactory([&](const std::string& name) {
        ++created;
        return std::make_shared<TestChecker>(name);
    });
    const auto model = Model::modelFromSerializedRepresentation("QOR,,CHECKTEST,,3.1");
    ASSERT_TRUE(model);
    EXPECT_EQ(created, 0);  // nobody drained the main rail yet, and the parse did not wait
    EXPECT_FALSE(model->stinger());

    Rails::main()->drain();
    Model::setCheckerFactory(nullptr);
    EXPECT_EQ(created, 1);
    const auto checker = std::dynamic_pointer_cast<TestChecker>(model->stinger());
    ASSERT_TRUE(checker);
    EXPECT_EQ(checker->name, "CHECKTEST");
}

}  // namespace
}  // namespace harbrix
