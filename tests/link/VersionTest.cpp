// Version texts, printing and ordering. The hand scanner is checked against the regular
// expression it stands in for.
#include "link/Version.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>

namespace harbrix {
namespace {

using Triple = std::tuple<int, int, int>;

std::optional<Triple> triple(const std::optional<Version>& v) {
    if (!v) return std::nullopt;
    return Triple{v->major, v->minor, v->maintenance};
}

// What the regular expression reading finds, for comparison.
std::optional<Triple> byRegex(const std::string& text) {
    static const std::regex pattern(R"(\s*([0-9]+)(\.[0-9]+)?(\.[0-9]+)?\s*)");
    std::smatch m;
    if (text.empty() || !std::regex_search(text, m, pattern)) return std::nullopt;
    auto group = [&](int i) {
        if (!m[i].matched) return 0;
        std::string digits = m[i].str();
        if (digits[0] == '.') digits.erase(0, 1);
        return static_cast<int>(std::stoul(digits) & 0xFFFF);
    };
    if (group(1) == 0 && group(2) == 0 && group(3) == 0) return std::nullopt;
    return Triple{group(1), group(2), group(3)};
}

TEST(VersionText, ReadsTheFirstNumberGroup) {
    const struct {
        const char* text;
        std::optional<Triple> expected;
    } cases[] = {
        {"version 12.3 beta", Triple{12, 3, 0}},
        {"1.2.3.4", Triple{1, 2, 3}},
        {" 2 ", Triple{2, 0, 0}},
        {"v1..2", Triple{1, 0, 0}},
        {"1.", Triple{1, 0, 0}},
        {".5", Triple{5, 0, 0}},
        {"1.0.7", Triple{1, 0, 7}},
        {"a1b2.3", Triple{1, 0, 0}},
        {"0.0.1", Triple{0, 0, 1}},
        {"65537.2", Triple{1, 2, 0}},
        {"0.0.0", std::nullopt},
        {"65536", std::nullopt},
        {"no digits", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(triple(Version::versionWithString(c.text)), c.expected) << c.text;
        EXPECT_EQ(byRegex(c.text), c.expected) << "regex disagrees on " << c.text;
    }
}

TEST(VersionText, AgreesWithTheRegularExpressionOnGeneratedTexts) {
    const std::string alphabet = "0123456789..  \tvx-";
    std::uint32_t state = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = round % 13;
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            text += alphabet[(state >> 16) % alphabet.size()];
        }
        ASSERT_EQ(triple(Version::versionWithString(text)), byRegex(text)) << '"' << text << '"';
    }
}

TEST(VersionText, LongDigitRunsTruncateWithoutOverflow) {
    // 10^k mod 2^16 for a run of one '1' and 40 zeros, and a very long run that would
    // defeat a recursive matcher.
    std::uint32_t expected = 1;
    for (int i = 0; i < 40; ++i) expected = expected * 10 % 65536;
    EXPECT_EQ(triple(Version::versionWithString("1" + std::string(40, '0') + ".1")),
              (Triple{static_cast<int>(expected), 1, 0}));
    const std::string huge = "x" + std::string(200000, '7') + ".2.3";
    const auto v = Version::versionWithString(huge);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->minor, 2);
    EXPECT_EQ(v->maintenance, 3);
}

TEST(VersionText, AllZeroIsNotAVersion) {
    EXPECT_FALSE(Version::versionWithMajor(0, 0, 0));
    EXPECT_EQ(triple(Version::versionWithMajor(0, 0, 9)), (Triple{0, 0, 9}));
}

TEST(VersionText, DescriptionDropsTrailingZeros) {
    const std::pair<Triple, const char*> cases[] = {{{2, 0, 1}, "2.0.1"},
                                                    {{2, 1, 0}, "2.1"},
                                                    {{2, 0, 0}, "2"},
                                                    {{0, 0, 3}, "0.0.3"},
                                                    {{65535, 65535, 65535}, "65535.65535.65535"}};
    for (const auto& [t, text] : cases) {
        const auto v = Version::versionWithMajor(std::get<0>(t), std::get<1>(t), std::get<2>(t));
        EXPECT_EQ(v->description(), text);
    }
}

TEST(VersionOrder, ComparesNumbersNotText) {
    const auto v = [](const char* s) { return *Version::versionWithString(s); };
    const struct {
        const char* left;
        const char* right;
        bool equalOrBetter;
    } cases[] = {
        {"1.10.0", "1.9.9", true}, {"2.0.0", "2.0.1", false}, {"2.0.1", "2.0.1", true},
        {"3", "2.99.99", true},    {"1.2", "1.10", false},    {"0.0.2", "0.1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(v(c.left).isEqualToOrBetterThan(v(c.right)), c.equalOrBetter)
            << c.left << " vs " << c.right;
        EXPECT_EQ(v(c.left).isLessThan(v(c.right)), !c.equalOrBetter);
    }
}

TEST(VersionOrder, EqualVersionsHashAlike) {
    const auto a = *Version::versionWithString("4.5");
    const auto b = *Version::versionWithMajor(4, 5, 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_NE(a, *Version::versionWithMajor(4, 5, 1));
}

}  // namespace
}  // namespace harbrix
