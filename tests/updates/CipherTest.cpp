// The manifest cipher against the openssl command, and the decoding of manifest entries.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/Program.h"
#include "support/TempDir.h"
#include "updates/ManifestTool.h"
#include "updates/Torque.h"
#include "updates/UpdateEntry.h"

namespace harbrix {
namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string hexOf(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : text) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 0xF]);
    }
    return hex;
}

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs "openssl enc -aes-128-cbc" with the published key and vector over `input`.
std::optional<Bytes> opensslEncrypt(const Bytes& input, bool padding) {
    test::TempDir dir("cipher");
    {
        std::ofstream out(dir.file("in"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(input.data()),
                  static_cast<std::streamsize>(input.size()));
    }
    const std::string command = "openssl enc -aes-128-cbc " +
                                std::string(padding ? "" : "-nopad ") + "-K " +
                                hexOf("3c5e91d0a7f2846b") + " -iv " + hexOf("e4190b7c2d58fa36") +
                                " -in '" + dir.file("in") + "' -out '" + dir.file("out") + "'";
    const auto result = test::runProgram("/bin/sh", {"-c", command});
    if (result.status != 0) return std::nullopt;
    return readAll(dir.file("out"));
}

TEST(Torque, EncryptionPadsToTheNextWholeBlockAndDecryptionStripsIt) {
    for (const std::size_t length : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 1000u}) {
        SCOPED_TRACE(length);
        Bytes plain(length);
        for (std::size_t i = 0; i < length; ++i) plain[i] = static_cast<std::uint8_t>(i * 7);
        const auto cipher = Torque::up(plain);
        ASSERT_TRUE(cipher);
        EXPECT_EQ(cipher->size(), 16 * (length / 16 + 1));
        EXPECT_EQ(Torque::down(*cipher), plain);
    }
}

TEST(Torque, MatchesTheOpensslCommand) {
    const Bytes plain = bytesOf(R"([{"name":"Harbrix-2.1.0.tar.gz","version":"2.1.0"}])");
    const auto expected = opensslEncrypt(plain, true);
    ASSERT_TRUE(expected) << "the openssl command is needed for this test";
    EXPECT_EQ(Torque::up(plain), expected);
    EXPECT_EQ(Torque::core(*expected, Torque::kDecrypt), plain);
}

TEST(Torque, RefusesCipherTextOfBadLengthOrPadding) {
    const auto good = Torque::up(bytesOf("a release manifest"));
    ASSERT_TRUE(good);
    ASSERT_EQ(good->size(), 32u);
    for (const std::size_t length : {0u, 1u, 15u, 17u, 31u}) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(Torque::down(Bytes(good->begin(), good->begin() + length)));
    }
    // Whole blocks whose last plain byte is not a valid padding count (0 and 17), made with
    // padding switched off.
    for (const std::uint8_t last : {0x00, 0x11}) {
        SCOPED_TRACE(static_cast<int>(last));
        Bytes block(16, 0x20);
        block.back() = last;
        const auto cipher = opensslEncrypt(block, false);
        ASSERT_TRUE(cipher);
        ASSERT_EQ(cipher->size(), 16u);
        EXPECT_FALSE(Torque::down(*cipher));
    }
}

TEST(ManifestTool, IsChosenOnlyByOneExactWord) {
    struct Case {
        std::vector<const char*> arguments;
        bool tool;
    };
    const Case cases[] = {
        {{"Harbrix", "prepare"}, true},       {{"Harbrix", "verify"}, true},
        {{"Harbrix", "rebuild"}, true},       {{"Harbrix", "Prepare"}, false},
        {{"Harbrix", "prepare", "x"}, false}, {{"Harbrix"}, false},
        {{"Harbrix", "-psn_0_1234"}, false},  {{"Harbrix", "prepare "}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.size() > 1 ? c.arguments[1] : "(none)");
        EXPECT_EQ(ManifestTool::wants(static_cast<int>(c.arguments.size()), c.arguments.data()),
                  c.tool);
    }
}

TEST(Manifest, ReadsEntriesAndToleratesFieldsOfTheWrongType) {
    const auto entries = Manifest::parse(R"([
        {"name": "old.tar.gz", "hash": "abc", "size": 10, "version": "1.0", "baseline": "10.0"},
        {},
        7,
        {"name": 5, "hash": ["x"], "size": "12", "version": 2, "changes": ["one", 2, "three"]},
        {"size": 1.5},
        {"size": -4},
        {"name": "new.tar.gz", "size": 50000000, "changes": "not a list"}
    ])");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 7u);
    const UpdateEntry& first = (*entries)[0];
    EXPECT_FALSE(first.empty);
    EXPECT_EQ(first.name, "old.tar.gz");
    EXPECT_EQ(first.size, 10);
    EXPECT_EQ(first.parsedVersion(), Version::versionWithString("1.0"));
    EXPECT_TRUE((*entries)[1].empty);
    EXPECT_TRUE((*entries)[2].empty);
    const UpdateEntry& odd = (*entries)[3];
    EXPECT_FALSE(odd.empty);
    EXPECT_EQ(odd.name, "");
    EXPECT_EQ(odd.hash, "");
    EXPECT_EQ(odd.size, 0);
    EXPECT_FALSE(odd.parsedVersion());
    EXPECT_EQ(odd.changes, (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ((*entries)[4].size, 0);
    EXPECT_FALSE((*entries)[5].sizeInRange());
    EXPECT_TRUE((*entries)[6].sizeInRange());
    EXPECT_TRUE((*entries)[6].changes.empty());
}

TEST(Manifest, RefusesDocumentsThatAreNotArrays) {
    for (const char* document : {"", "{}", "{\"name\": \"x\"}", "[", "\"text\"", "[1,]", "null"}) {
        SCOPED_TRACE(document);
        EXPECT_FALSE(Manifest::parse(document));
    }
    EXPECT_TRUE(Manifest::parse("[]"));
    EXPECT_FALSE(Manifest::decipher(bytesOf("[]")));  // not enciphered
    const auto cipher = Torque::up(bytesOf("[{\"name\":\"a\"}]"));
    ASSERT_TRUE(cipher);
    const auto entries = Manifest::decipher(*cipher);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at(0).name, "a");
}

TEST(UpdateEntry, TakesOnlyPlainFileNames) {
    const std::pair<const char*, bool> cases[] = {
        {"Harbrix-2.1.0.tar.gz", true},
        {"MIV3 1.4.ldr", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../escape", false},
        {"a/b", false},
        {"/etc/passwd", false},
        {"a\\b", false},
        {"line\nbreak", false},
    };
    for (const auto& [name, safe] : cases) {
        SCOPED_TRACE(name);
        UpdateEntry entry;
        entry.name = name;
        EXPECT_EQ(entry.hasSafeName(), safe);
    }
}

}  // namespace
}  // namespace harbrix
