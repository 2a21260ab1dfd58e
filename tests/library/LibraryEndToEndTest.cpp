// The library through harbrixctl against simulated pedals: a snapshot at each read, put back
// byte for byte and taken back with undo, a stored preset written into a slot, and a snapshot
// put into a second pedal of the same model.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/JournaledPedal.h"
#include "support/ScriptedPedal.h"

namespace harbrix {
namespace {

class LibraryEndToEnd : public test::JournaledPedal {
  protected:
    // harbrixctl as the words say, the pedal named where the words name it.
    test::ProgramResult run(const std::vector<std::string>& words) {
        return test::runProgram(test::binPath("harbrixctl"), words,
                                {{"XDG_CACHE_HOME", cache.path()},
                                 {"XDG_DATA_HOME", data.path()},
                                 {"HARBRIX_LINK_FRAMING", "fast"}});
    }
};

TEST_F(LibraryEndToEnd, EachReadKeepsASnapshotThatIsRestoredByteForByteAndUndone) {
    start({{0, test::presetBytes("Lead", 1)}, {7, test::presetBytes("Clean", 2)}});
    const auto first = storedPresets();
    ASSERT_EQ(ctl({"presets"}).status, 0);
    ASSERT_EQ(ctl({"presets"}).status, 0) << "an unchanged pedal keeps no second snapshot";
    ASSERT_EQ(ctl({"copy", "1", "8"}).status, 0);
    ASSERT_EQ(ctl({"delete", "1"}).status, 0);
    ASSERT_EQ(ctl({"presets"}).status, 0);
    const auto changed = storedPresets();

    const auto listed = run({"snapshots"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("     2  "), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("     3  "), std::string::npos) << listed.out;

    const auto restored = run({"snapshot", "restore", "1", pedal->path(), "MIV3"});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(restored.out, "snapshot 1 restored to the MIV3 JRN001: 2 slots changed\n");
    EXPECT_EQ(storedPresets(), first) << "byte for byte";
    const auto again = run({"snapshot", "restore", "1", pedal->path(), "MIV3"});
    EXPECT_EQ(again.out, "the MIV3 JRN001 already holds snapshot 1\n");

    const auto undo = ctl({"undo"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(storedPresets(), changed);

    // The snapshot as files, with the manifest a backup has, so restore takes it too.
    const std::string folder = files.file("export");
    ASSERT_EQ(run({"snapshot", "export", "1", folder}).status, 0);
    ASSERT_EQ(ctl({"restore", folder}).status, 0);
    EXPECT_EQ(storedPresets(), first);
}

TEST_F(LibraryEndToEnd, ALibraryPresetIsPutIntoASlotAsAJournaledChange) {
    start({{0, test::presetBytes("Lead", 1)}, {3, test::presetBytes("Clean", 2)}});
    ASSERT_EQ(ctl({"presets"}).status, 0);
    const auto listed = run({"library", "list", "--search", "lea"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    ASSERT_NE(listed.out.find("     1  MIV3  Lead"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("JRN001:01"), std::string::npos) << listed.out;

    const auto put = run({"library", "put", "1", pedal->path(), "MIV3", "4"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(storedPresets()["3"], hexText(test::presetBytes("Lead", 1)));
    EXPECT_NE(ctl({"history"}).out.find("Overwrite      04"), std::string::npos);
    ASSERT_EQ(ctl({"undo"}).status, 0);
    EXPECT_EQ(storedPresets()["3"], hexText(test::presetBytes("Clean", 2)));

    // Bad input: one line, exit 2.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"library", "put", "x", "4"},
          {"library", "put", "99", "4"},
          {"library", "tag", "1"},
          {"library", "list", "--model", "X"},
          {"library", "fly"},
          {"snapshot", "restore", "7"}}) {
        const auto refused = run(words);
        EXPECT_EQ(refused.status, 2) << words[1];
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    }
}

TEST_F(LibraryEndToEnd, ASnapshotIsRestoredToAnotherPedalOfTheSameModelOnlyWhenNamed) {
    start({{0, test::presetBytes("Lead", 1)}, {5, test::presetBytes("Clean", 2)}});
    ASSERT_EQ(ctl({"presets"}).status, 0);
    const std::string otherState = files.file("other.json");
    test::writeText(otherState,
                    R"({"presets": {"2": ")" + hexText(test::presetBytes("Theirs", 3)) + "\"}}");
    test::Simulator other({"--model", "MIV3", "--serial", "JRN002", "--state", otherState});
    ASSERT_TRUE(other.running()) << other.error();
    const auto unnamed = run({"snapshot", "restore", "1", other.path(), "MIV3"});
    EXPECT_EQ(unnamed.status, 2);
    EXPECT_NE(unnamed.err.find("add --to JRN002"), std::string::npos) << unnamed.err;

    const auto restored = run({"snapshot", "restore", "1", other.path(), "MIV3", "--to", "JRN002"});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(nlohmann::json::parse(test::readText(otherState))["presets"], storedPresets());
    EXPECT_EQ(run({"undo", other.path(), "MIV3"}).status, 0);
    EXPECT_EQ(nlohmann::json::parse(test::readText(otherState))["presets"]["2"],
              hexText(test::presetBytes("Theirs", 3)));
}

}  // namespace
}  // namespace harbrix
