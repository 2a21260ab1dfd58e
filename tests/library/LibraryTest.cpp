// The library on a temporary database: creating and migrating it, keeping a preset once,
// searching as the user types, snapshots kept only when the pedal changed, a damaged file
// moved aside, and two processes writing at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "library/Library.h"
#include "library/LibrarySchema.h"
#include "library/Sqlite.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

using library::Connection;
using library::MigrationOutcome;

class LibraryTest : public ::testing::Test {
  protected:
    std::shared_ptr<Library> openLibrary() {
        auto opening = Library::open(path);
        EXPECT_TRUE(opening.library) << opening.problem;
        if (opening.library) opening.library->setClock([this] { return clock; });
        return opening.library;
    }
    std::vector<std::string> namesFound(Library& library, const LibraryQuery& query) {
        std::vector<std::string> names;
        const auto found = library.search(query);
        EXPECT_TRUE(found) << found.problem;
        if (found)
            for (const auto& preset : *found) names.push_back(preset.name);
        return names;
    }

    test::TempDir dir;
    std::string path = dir.file("data/library.sqlite3");
    std::int64_t clock = 1000;
};

TEST_F(LibraryTest, AnEmptyFileAndAnOlderVersionAreMigratedInOneTransaction) {
    ASSERT_TRUE(openLibrary());
    {
        Connection connection(path);
        EXPECT_EQ(connection.integer("PRAGMA user_version"), 1);
        EXPECT_EQ(connection.text("PRAGMA journal_mode"), "wal");
    }
    // The runner itself, with steps of its own: an older database is brought up to date with
    // its rows kept; a failing step leaves the version it found; a newer one is left alone.
    const std::string other = dir.file("steps.sqlite3");
    Connection connection(other);
    const std::vector<library::Migration> first = {
        {1, "CREATE TABLE a (x); INSERT INTO a VALUES (7);"}};
    ASSERT_EQ(library::migrate(connection, first), MigrationOutcome::migrated);
    auto second = first;
    second.push_back({2, "ALTER TABLE a ADD COLUMN y DEFAULT 3;"});
    EXPECT_EQ(library::migrate(connection, second), MigrationOutcome::migrated);
    EXPECT_EQ(connection.integer("SELECT x + y FROM a"), 10);
    EXPECT_EQ(library::migrate(connection, second), MigrationOutcome::current);
    auto broken = second;
    broken.push_back({3, "CREATE TABLE b (z); SELECT nothing FROM nowhere;"});
    EXPECT_EQ(library::migrate(connection, broken), MigrationOutcome::failed);
    EXPECT_EQ(connection.integer("PRAGMA user_version"), 2);
    EXPECT_FALSE(connection.integer("SELECT count(*) FROM b")) << "the failed step left nothing";
    EXPECT_EQ(library::migrate(connection, first), MigrationOutcome::tooNew);
}

TEST_F(LibraryTest, APresetIsKeptOnceAndSeenAgainOnlyUpdatesLastSeen) {
    auto library = openLibrary();
    ASSERT_TRUE(library);
    const Bytes lead = test::presetBytes("Lead", 1);
    const auto first = library->collect("MIV3", lead, "Lead                    ", {"SER1", 3, {}});
    ASSERT_TRUE(first) << first.problem;
    library->rename(*first, "My Lead");
    clock = 2000;
    const auto again =
        library->collect("MIV3", lead, "Lead", {{}, std::nullopt, "/tmp/lead.qorpreset"});
    EXPECT_EQ(*again, *first);
    const auto kept = library->preset(*first);
    EXPECT_EQ(kept->name, "My Lead") << "the user's name stays";
    EXPECT_EQ(kept->firstSeen, 1000);
    EXPECT_EQ(kept->lastSeen, 2000);
    EXPECT_NE(*library->collect("NAX3", lead, "Lead", {}), *first) << "kept per model";
    EXPECT_EQ(*library->presetBytes(*first), lead);
    EXPECT_FALSE(library->preset(999));
    EXPECT_FALSE(library->tag(999, {"x"}));
}

TEST_F(LibraryTest, SearchFindsWordPrefixesOfNamesTagsAndNotesWithFilters) {
    auto library = openLibrary();
    ASSERT_TRUE(library);
    const auto lead = *library->collect("MIV3", test::presetBytes("Lead Solo", 1), "Lead Solo", {});
    const auto clean = *library->collect("MIV3", test::presetBytes("Clean", 2), "Clean", {});
    const auto leaden = *library->collect("NAX3", test::presetBytes("Leaden", 3), "Leaden", {});
    ASSERT_TRUE(library->tag(clean, {"ambient", "live"}));
    ASSERT_TRUE(library->untag(clean, {"live"}));
    ASSERT_TRUE(library->setNote(lead, "for the bridge"));
    ASSERT_TRUE(library->setFavourite(leaden, true));

    EXPECT_EQ(namesFound(*library, {.text = "lea"}),
              (std::vector<std::string>{"Lead Solo", "Leaden"}));
    EXPECT_EQ(namesFound(*library, {.text = "so"}), std::vector<std::string>{"Lead Solo"});
    EXPECT_EQ(namesFound(*library, {.text = "AMB"}), std::vector<std::string>{"Clean"});
    EXPECT_TRUE(namesFound(*library, {.text = "live"}).empty()) << "the tag was taken off";
    EXPECT_EQ(namesFound(*library, {.text = "bri"}), std::vector<std::string>{"Lead Solo"});
    EXPECT_EQ(namesFound(*library, {.text = "lea", .model = "NAX3"}),
              std::vector<std::string>{"Leaden"});
    EXPECT_EQ(namesFound(*library, {.favouritesOnly = true}), std::vector<std::string>{"Leaden"});
    EXPECT_EQ(namesFound(*library, {.tag = "Ambient"}), std::vector<std::string>{"Clean"});
    // Whatever is typed is words, never the query language.
    for (const char* typed : {"\"", "lea*", "AND", "-", "(", "le\"a"})
        EXPECT_TRUE(library->search({.text = typed})) << typed;

    ASSERT_TRUE(library->recordSnapshot("MIV3", "SER1", 100,
                                        {{4, test::presetBytes("Clean", 2), "Clean"}}));
    EXPECT_EQ(namesFound(*library, {.onPedal = "SER1"}), std::vector<std::string>{"Clean"});
    EXPECT_EQ(namesFound(*library, {.notOnAnyPedal = true}),
              (std::vector<std::string>{"Lead Solo", "Leaden"}));
    const auto places = library->preset(clean)->places;
    ASSERT_EQ(places.size(), 1u);
    EXPECT_EQ(places[0].slot, 4u);
}

TEST_F(LibraryTest, ASnapshotEqualToThePreviousOneOfThatPedalIsNotKeptTwice) {
    auto library = openLibrary();
    ASSERT_TRUE(library);
    const std::vector<SlotPreset> a = {{0, test::presetBytes("A", 1), "A"},
                                       {9, test::presetBytes("B", 2), "B"}};
    const std::vector<SlotPreset> b = {{0, test::presetBytes("A", 1), "A"}};
    const auto first = library->recordSnapshot("MIV3", "SER1", 100, a);
    ASSERT_TRUE(first) << first.problem;
    EXPECT_TRUE(first->stored);
    const auto same = library->recordSnapshot("MIV3", "SER1", 100, a);
    EXPECT_FALSE(same->stored);
    EXPECT_EQ(same->id, first->id);
    EXPECT_TRUE(library->recordSnapshot("MIV3", "SER2", 100, a)->stored) << "another pedal";
    EXPECT_TRUE(library->recordSnapshot("MIV3", "SER1", 100, b)->stored);
    EXPECT_TRUE(library->recordSnapshot("MIV3", "SER1", 100, a)->stored) << "changed back";
    EXPECT_EQ(library->snapshots("SER1")->size(), 3u);
    EXPECT_EQ(library->snapshots()->size(), 4u);

    const auto kept = library->snapshot(first->id);
    ASSERT_TRUE(kept) << kept.problem;
    EXPECT_EQ(kept->info.occupied, 2u);
    ASSERT_EQ(kept->bytes.size(), 100u);
    EXPECT_EQ(kept->bytes[9], test::presetBytes("B", 2));
    EXPECT_FALSE(kept->bytes[1]);
    EXPECT_FALSE(library->snapshot(99));
}

TEST_F(LibraryTest, ADamagedFileIsMovedAsideAndANewLibraryStarted) {
    std::filesystem::create_directories(dir.file("data"));
    const std::string damage(4096, 'x');
    test::writeText(path, damage);
    const auto opening = Library::open(path);
    ASSERT_TRUE(opening.library) << opening.problem;
    EXPECT_NE(opening.notice.find(path + ".damaged-"), std::string::npos) << opening.notice;
    EXPECT_TRUE(opening.library->collect("MIV3", test::presetBytes("A", 1), "A", {}));
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("data")))
        if (entry.path().filename().string().rfind("library.sqlite3.damaged-", 0) == 0) {
            EXPECT_EQ(test::readText(entry.path().string()), damage) << "kept as it was";
            ++aside;
        }
    EXPECT_EQ(aside, 1);
}

TEST_F(LibraryTest, ALibraryHeldByAnotherProgramIsWaitedForThenReported) {
    const auto opening = Library::open(path, 50);
    ASSERT_TRUE(opening.library) << opening.problem;
    Connection other(path);
    ASSERT_TRUE(other.run("BEGIN IMMEDIATE"));
    const auto refused = opening.library->collect("MIV3", test::presetBytes("A", 1), "A", {});
    EXPECT_EQ(refused.problem,
              "the library " + path + " is held by another program; gave up after 0.1 s");
    EXPECT_TRUE(opening.library->search({})) << "readers go on";
    const auto second = Library::open(path, 50);
    EXPECT_FALSE(second.library);
    EXPECT_NE(second.problem.find("held by another program"), std::string::npos) << second.problem;
    ASSERT_TRUE(other.run("COMMIT"));
    EXPECT_TRUE(opening.library->collect("MIV3", test::presetBytes("A", 1), "A", {}));
}

TEST_F(LibraryTest, TwoProcessesWriteAtOnceAndNothingIsLost) {
    ASSERT_TRUE(openLibrary());
    constexpr int kEach = 150;
    const auto writeMany = [this](int first) {
        auto opening = Library::open(path);
        if (!opening.library) return false;
        for (int index = first; index < first + kEach; ++index) {
            const auto name = "P" + std::to_string(index);
            const auto id =
                opening.library->collect("MIV3", test::presetBytes(name, 0), name,
                                         {"SER1", static_cast<std::size_t>(index % 100), {}});
            if (!id) return false;
            if (index % 10 == 0 &&
                !opening.library->recordSnapshot("MIV3", "SER" + std::to_string(first), 100,
                                                 {{0, test::presetBytes(name, 0), name}}))
                return false;
        }
        return true;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(writeMany(kEach) ? 0 : 1);
    EXPECT_TRUE(writeMany(0));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto library = openLibrary();
    EXPECT_EQ(library->search({.limit = 1000})->size(), 2u * kEach);
}

}  // namespace
}  // namespace harbrix
