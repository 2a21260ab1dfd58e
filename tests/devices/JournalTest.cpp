// The journal file: what survives a reopen, what a damaged or cut-off line costs, the bounds,
// the undo and redo order, two processes writing to one pedal's journal at once, and the
// titles a menu reads without touching the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "devices/Journal.h"
#include "platform/Log.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix {
namespace {

SlotBytes preset(std::uint8_t seed) {
    return test::presetBytes("Preset " + std::to_string(seed), seed);
}

std::vector<SlotChange> swapOf(std::size_t a, std::size_t b, std::uint8_t seed) {
    return {{a, preset(seed), preset(seed + 1)}, {b, preset(seed + 1), preset(seed)}};
}

std::uint64_t finishedEntry(Journal& journal, const std::string& operation, std::uint8_t seed) {
    const auto number = journal.begin(operation, swapOf(seed % 100, (seed + 1) % 100, seed));
    EXPECT_TRUE(number && journal.finish(*number, {seed % 100u, (seed + 1) % 100u}));
    return number.value_or(0);
}

std::vector<std::string> capturedLines(const std::function<void()>& work) {
    std::vector<std::string> lines;
    LogCapture capture([&](const std::string& line) { lines.push_back(line); });
    work();
    return lines;
}

void appendText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
}

class JournalTest : public ::testing::Test {
  protected:
    std::string path() const { return dir.file("journal/MIV3-TEST01.jsonl"); }
    test::TempDir dir;
};

TEST_F(JournalTest, EntriesSurviveAReopenWithTheirStateAndOrder) {
    {
        Journal journal(path());
        finishedEntry(journal, "Swap", 1);
        const auto erase =
            journal.begin("Delete", {{4, preset(9), SlotBytes{}}, {5, SlotBytes{}, SlotBytes{}}});
        ASSERT_TRUE(erase);
        ASSERT_TRUE(journal.finish(*erase, {4}));
        finishedEntry(journal, "Move", 3);
        // Read back what a reset left only at its end, and an entry the program never ended.
        const auto reset = journal.begin("Factory Reset", {{0, preset(20), std::nullopt}});
        ASSERT_TRUE(reset);
        ASSERT_TRUE(journal.finish(*reset, {0}, {{0, {}, preset(21)}}));
        ASSERT_TRUE(journal.begin("Copy", {{7, SlotBytes{}, preset(30)}}));
        ASSERT_TRUE(journal.markUndone(4));
    }
    Journal reopened(path());
    const auto entries = reopened.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].operation, "Swap");
    EXPECT_EQ(entries[0].slots, swapOf(1, 2, 1));
    EXPECT_EQ(entries[1].slots[1].before, SlotBytes{}) << "an empty slot stays empty";
    EXPECT_EQ(entries[1].changed, (std::set<std::size_t>{4}));
    EXPECT_TRUE(entries[3].undone);
    EXPECT_EQ(entries[3].slots[0].after, preset(21));
    EXPECT_FALSE(entries[4].finished()) << "the interrupted Copy says so";
    EXPECT_GT(entries[4].time, 1600000000);
    EXPECT_EQ(reopened.undoable()->number, 5u);
    EXPECT_EQ(reopened.redoable()->number, 4u);
}

TEST_F(JournalTest, UndoGoesNewestFirstAndANewEntryEndsRedo) {
    Journal journal(path());
    for (std::uint8_t seed = 1; seed <= 3; ++seed) finishedEntry(journal, "Copy", seed);
    ASSERT_TRUE(journal.markUndone(3));
    ASSERT_TRUE(journal.markUndone(2));
    EXPECT_EQ(journal.undoable()->number, 1u);
    EXPECT_EQ(journal.redoable()->number, 2u) << "the last one undone is redone first";
    ASSERT_TRUE(journal.markRedone(2));
    EXPECT_EQ(journal.redoable()->number, 3u);
    EXPECT_EQ(journal.undoable()->number, 2u);

    finishedEntry(journal, "Move", 4);
    EXPECT_FALSE(journal.redoable()) << "entry 3 was undone before a new change";
    EXPECT_EQ(journal.undoable()->number, 4u);
    ASSERT_TRUE(journal.markUndone(4));
    EXPECT_EQ(journal.undoable()->number, 2u) << "skips entry 3, undone already";
    EXPECT_EQ(Journal(path()).redoable()->number, 4u) << "the redo stack is in the file too";
}

TEST_F(JournalTest, ACutOffLastLineIsSkippedAndTheNextEntryStaysWhole) {
    {
        Journal journal(path());
        finishedEntry(journal, "Swap", 1);
        finishedEntry(journal, "Swap", 2);
    }
    // The program was killed in the middle of writing an entry.
    const std::string text = test::readText(path());
    appendText(path(), text.substr(0, text.find('\n') / 2));

    Journal journal(path());
    std::vector<JournalEntry> entries;
    const auto lines = capturedLines([&] { entries = journal.entries(); });
    EXPECT_EQ(entries.size(), 2u);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("skipped 1 cut-off"), std::string::npos) << lines[0];

    finishedEntry(journal, "Move", 3);
    const auto reread = capturedLines([&] { entries = Journal(path()).entries(); });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].operation, "Move");
    EXPECT_TRUE(entries[2].finished());
    EXPECT_EQ(reread.size(), 1u) << "only the cut-off line is reported";
}

TEST_F(JournalTest, DamagedLinesAreSkippedOneByOneAndTheRestLoads) {
    const std::string slot = R"({"slot":1,"before":null,"after":")" + hexText(preset(1)) + "\"}";
    const std::string damaged[] = {
        "not json at all",
        "[1,2,3]",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[]})",
        R"({"entry":2,"time":-5,"operation":"Copy","slots":[)" + slot + "]}",
        R"({"entry":2,"time":5,"operation":7,"slots":[)" + slot + "]}",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[)" + slot + R"(],"extra":1})",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[{"slot":300,"before":null}]})",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[{"slot":1,"before":"abcd"}]})",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[{"slot":1,"before":")" +
            std::string(208, 'g') + "\"}]}",
        R"({"entry":2,"time":5,"operation":"Copy","slots":[)" + slot + "," + slot + "]}",
        R"({"end":1,"changed":[1,1]})",
        R"({"end":1})",
        R"({"undone":"1"})",
        R"({"undone":1,"redone":1})",
        std::string(100000, '[') + std::string(100000, ']'),
        std::string(JournalFile::kLongestLine + 10, 'x'),
    };
    {
        Journal journal(path());
        finishedEntry(journal, "Swap", 1);
    }
    for (const std::string& line : damaged) appendText(path(), line + "\n");
    appendText(path(), R"({"entry":9,"time":5,"operation":"Copy","slots":[)" + slot + "]}\n");

    Journal journal(path());
    std::vector<JournalEntry> entries;
    const auto lines = capturedLines([&] { entries = journal.entries(); });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].number, 9u);
    EXPECT_FALSE(entries[0].undone);
    EXPECT_EQ(lines.size(), std::size(damaged)) << "one log line for each damaged line";
    EXPECT_EQ(finishedEntry(journal, "Copy", 5), 10u) << "numbers go on after the newest";
}

TEST_F(JournalTest, TheFileKeepsTheNewestEntriesWithinBothBounds) {
    Journal journal(path());
    for (int i = 1; i <= 510; ++i) finishedEntry(journal, "Copy", static_cast<std::uint8_t>(i));
    ASSERT_TRUE(journal.markUndone(510));
    auto entries = Journal(path()).entries();
    ASSERT_EQ(entries.size(), 500u);
    EXPECT_EQ(entries.front().number, 11u);
    EXPECT_EQ(entries.back().number, 510u);
    EXPECT_EQ(Journal(path()).redoable()->number, 510u) << "trimming keeps the redo stack";

    // Entries as large as a factory reset's, under a smaller size bound.
    const std::string small = dir.file("journal/MIV3-SMALL.jsonl");
    Journal sized(small, {500, 256 * 1024});
    for (std::uint8_t i = 1; i <= 20; ++i) {
        std::vector<SlotChange> slots;
        for (std::size_t slot = 0; slot < 100; ++slot)
            slots.push_back({slot, preset(i), std::nullopt});
        const auto number = sized.begin("Factory Reset", slots);
        ASSERT_TRUE(number);
        ASSERT_TRUE(sized.finish(*number, {0}));
        ASSERT_LE(std::filesystem::file_size(small), 256u * 1024) << "after entry " << int(i);
    }
    entries = Journal(small).entries();
    EXPECT_GE(entries.size(), 5u);
    EXPECT_EQ(entries.back().number, 20u);
}

TEST_F(JournalTest, TwoProcessesAppendingAtOnceNeitherInterleaveNorShareNumbers) {
    constexpr int kPerProcess = 120;
    // A small count bound, so that each process also trims while the other writes.
    const Journal::Bounds bounds{150, 8u << 20};
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Journal journal(path(), bounds);
            bool good = true;
            for (int i = 0; i < kPerProcess && good; ++i) {
                const auto number = journal.begin(process == 0 ? "Move" : "Swap",
                                                  swapOf(10, 20, static_cast<std::uint8_t>(i)));
                good = number && journal.finish(*number, {10, 20});
            }
            ::_exit(good ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<JournalEntry> entries;
    const auto lines = capturedLines([&] { entries = Journal(path(), bounds).entries(); });
    EXPECT_TRUE(lines.empty()) << lines.front();
    ASSERT_EQ(entries.size(), 150u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].number, 2 * kPerProcess - 150 + 1 + i);
        EXPECT_TRUE(entries[i].finished()) << entries[i].number;
    }
}

TEST_F(JournalTest, TitlesComeFromMemoryAndFollowAnotherWriterOnlyWhenTheFileChanged) {
    Journal ours(path());
    Journal theirs(path());  // as another process sees the same file
    EXPECT_EQ(ours.titles(), JournalTitles{}) << "nothing read yet";
    finishedEntry(ours, "Swap", 1);
    ASSERT_TRUE(ours.markUndone(1));
    finishedEntry(ours, "Move", 2);
    EXPECT_EQ(ours.titles(), (JournalTitles{"Move", ""})) << "a new entry ends Redo";
    ASSERT_TRUE(ours.markUndone(2));
    EXPECT_EQ(ours.titles(), (JournalTitles{"", "Move"}));

    finishedEntry(theirs, "Copy", 3);
    EXPECT_EQ(ours.titles(), (JournalTitles{"", "Move"})) << "not read again by itself";

    // While another process holds the file's lock (a long trim, harbrixctl), the titles come
    // at once, and a file that has not changed is not read, so not waited for either.
    const int holder = ::open((path() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(ours.titles(), (JournalTitles{"", "Move"}));
    theirs.refreshIfChanged();
    ::close(holder);

    ours.refreshIfChanged();
    EXPECT_EQ(ours.titles(), (JournalTitles{"Copy", ""}));
}

TEST_F(JournalTest, OnlyASerialThatCanNameAFileGetsAJournal) {
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    const auto journal = Journal::forPedal("MIV3", "ABC123");
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->path(), dir.path() + "/com.qor.wharvel/journal/MIV3-ABC123.jsonl");
    EXPECT_EQ(Journal::forPedal("MIV3", "ABC123"), journal) << "one object per file";
    for (const char* serial : {"", "../x", "a/b", ".."})
        EXPECT_FALSE(Journal::forPedal("MIV3", serial)) << serial;
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace harbrix
