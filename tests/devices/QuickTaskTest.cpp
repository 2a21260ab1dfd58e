// The process runner against real children: /bin/sh scripts, /bin/cat, and this test program
// itself started as a child to read what its parent fed it.
#include "devices/QuickTask.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Log.h"
#include "support/Paths.h"

namespace harbrix {
namespace {

using Clock = std::chrono::steady_clock;
const std::optional<std::string> kShell = "/bin/sh";

QuickTask::Arguments script(const std::string& text) {
    return {"-c", text};
}

std::string bigText(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(QuickTask, OutputIsTrimmedOnRequest) {
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("printf 'abc\\n'")), "abc");
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("printf 'abc\\n'"), std::nullopt, false),
              "abc\n");
    // Unicode spaces too (U+00A0, U+2028), but nothing inside the text.
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("printf ' \\302\\240a b\\t\\342\\200\\250'")),
              "a b");
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("true")), "");
}

TEST(QuickTask, StatusIsTheExitCodeOrSignal) {
    EXPECT_EQ(QuickTask::statusOfTask(kShell, script("echo out; echo err >&2; exit 2")), 2);
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("echo out; exit 2")), std::nullopt);
    EXPECT_FALSE(QuickTask::executeTask(kShell, script("exit 2")));
    EXPECT_TRUE(QuickTask::executeTask(kShell, script("exit 0")));
    EXPECT_EQ(QuickTask::statusOfTask(kShell, script("kill -9 $$")), 9);
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("echo out; kill -9 $$")), std::nullopt);
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("printf '\\377'")), std::nullopt);
}

TEST(QuickTask, FailureToStartIsStatusOneAndNoOutput) {
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(), std::optional<std::string>("/nonexistent/program"),
          std::optional<std::string>("/dev/null")}) {
        EXPECT_EQ(QuickTask::statusOfTask(path), 1);
        EXPECT_FALSE(QuickTask::executeTask(path, std::nullopt, "input"));
        EXPECT_EQ(QuickTask::outputOfTask(path), std::nullopt);
        EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(path, std::nullopt, "."),
                  std::nullopt);
    }
    EXPECT_EQ(QuickTask::statusOfTask(kShell, script("exit 0"), std::nullopt, std::nullopt,
                                      "/nonexistent/directory"),
              1);
}

// The shell drops variables whose names contain a dot, so env(1) itself is the child here.
TEST(QuickTask, InputComesWithTheMarkerAndEndOfFile) {
    const std::string marker = "QuickTask.STDIN=YES";
    auto lines = [](const std::optional<std::string>& out) {
        return "\n" + out.value_or("") + "\n";
    };
    EXPECT_NE(
        lines(QuickTask::outputOfTask("/usr/bin/env", std::nullopt, "")).find("\n" + marker + "\n"),
        std::string::npos);
    EXPECT_EQ(lines(QuickTask::outputOfTask("/usr/bin/env")).find("QuickTask.STDIN"),
              std::string::npos);
    EXPECT_EQ(QuickTask::outputOfTask("/bin/cat", std::nullopt, "hello"), "hello");
    EXPECT_TRUE(QuickTask::executeTask(kShell, script("[ \"$(cat)\" = hello ]"), "hello"));
    EXPECT_FALSE(QuickTask::executeTask(kShell, script("[ \"$(cat)\" = hello ]"), "bye"));
}

TEST(QuickTask, LargeOutputAndEchoedInputComplete) {
    const std::string input = bigText(2 * 1024 * 1024);
    EXPECT_EQ(QuickTask::outputOfTask("/bin/cat", std::nullopt, input, false), input);
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("head -c 700000 /dev/zero | tr '\\0' x"))
                  .value_or("")
                  .size(),
              700000u);
}

TEST(QuickTask, ChildThatIgnoresItsInputNeitherKillsNorBlocksTheRunner) {
    const std::string input = bigText(1024 * 1024);
    EXPECT_EQ(QuickTask::statusOfTask(kShell, script("exit 3"), input), 3);
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script("echo done"), input), "done");
    // A background process keeps the input open after the child itself has exited.
    const auto start = Clock::now();
    EXPECT_EQ(QuickTask::statusOfTask(
                  kShell, script("exec 3<&0; sleep 8 <&3 >/dev/null 3<&- & exit 0"), input),
              0);
    EXPECT_LT(secondsSince(start), 5.0);
}

TEST(QuickTask, ChildGetsWorkingDirectoryAndNoStrayDescriptors) {
    EXPECT_TRUE(QuickTask::executeTask(kShell, script("[ \"$(pwd -P)\" = / ]"), std::nullopt,
                                       std::nullopt, "/"));
    const int stray = ::open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
    ASSERT_GE(stray, 0);
    const auto check = "[ -e /dev/fd/" + std::to_string(stray) + " ] && echo leaked || echo clean";
    EXPECT_EQ(QuickTask::outputOfTask(kShell, script(check)), "clean");
    ::close(stray);
}

TEST(QuickTask, ConcurrentRunsKeepTheirOwnOutput) {
    std::vector<std::thread> threads;
    std::vector<int> failures(6, 0);
    for (std::size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([t, &failures] {
            for (int run = 0; run < 10; ++run) {
                const std::string text = bigText(20000 + t * 1000 + static_cast<std::size_t>(run));
                if (QuickTask::outputOfTask("/bin/cat", std::nullopt, text, false) != text)
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

TEST(QuickTask, StatusStepsAreLogged) {
    std::vector<std::string> lines;
    LogCapture capture([&](const std::string& line) { lines.push_back(line); });
    QuickTask::statusOfTask(kShell, script("cat >/dev/null"), "x", std::nullopt, "/");
    const std::string head = "statusOfTask: /bin/sh withArguments: (-c, cat >/dev/null) :: ";
    ASSERT_EQ(lines.size(), 20u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], head + std::to_string(i + 1));

    lines.clear();
    QuickTask::statusOfTask(kShell);
    std::string steps;
    for (const auto& line : lines) steps += line.substr(line.rfind(' ') + 1) + ",";
    EXPECT_EQ(steps, "1,2,3,4,6,8,9,10,15,16,17,19,20,");
    EXPECT_EQ(lines.front(), "statusOfTask: /bin/sh withArguments: (null) :: 1");
}

TEST(QuickTaskPattern, FirstAcceptedMatchOfTheLastGroup) {
    const auto twoMatches = script("printf 'x1 x2'");
    const std::string digits = "x(\\d+)";
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, twoMatches, digits,
                                                         std::set<std::string>{"1"}),
              "2");
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, twoMatches, digits), "1");
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, twoMatches, "x\\d"), "x1");
    // A match is not cut short where one piece of output ends and the next begins.
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(
                  kShell, script("printf x1; sleep 0.3; printf '23 x4'"), digits),
              "123");
}

TEST(QuickTaskPattern, EndsWithoutAMatch) {
    const auto start = Clock::now();
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, script("echo nothing"), "x(\\d)"),
              std::nullopt);
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, script("printf 'x1 x2'"), "x(\\d)",
                                                         std::set<std::string>{"1", "2"}),
              std::nullopt);
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, script("echo x1"), "("),
              std::nullopt);
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(kShell, script("echo x1"), ""),
              std::nullopt);
    EXPECT_LT(secondsSince(start), 2.0);
}

TEST(QuickTaskPattern, StopsALongRunningChildOnceFound) {
    const auto start = Clock::now();
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(
                  kShell, script("echo ready 42; exec sleep 30"), "ready (\\d+)"),
              "42");
    EXPECT_EQ(QuickTask::outputOfTaskSearchingForPattern(
                  kShell, script("trap '' TERM; echo ready 7; sleep 5"), "ready (\\d+)"),
              "7");
    EXPECT_LT(secondsSince(start), 10.0);
}

// Run in-process these check that nothing is read without the marker; started by
// ChildSideReadsWhatTheParentFed below, they report what the parent fed them.
std::string hex(const Bytes& bytes) {
    std::string text;
    for (auto byte : bytes)
        text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
    return text;
}

TEST(QuickTaskChildSide, Data) {
    const auto data = QuickTask::input();
    if (std::getenv("QuickTask.STDIN") == nullptr) {
        EXPECT_EQ(data, std::nullopt);
        return;
    }
    std::printf("\n[[%s]]\n", data ? hex(*data).c_str() : "none");
}

TEST(QuickTaskChildSide, Text) {
    const auto text = QuickTask::stringInput();
    if (std::getenv("QuickTask.STDIN") == nullptr) {
        EXPECT_EQ(text, std::nullopt);
        return;
    }
    std::printf("\n[[%s]]\n", text ? ("text:" + *text).c_str() : "none");
}

TEST(QuickTask, ChildSideReadsWhatTheParentFed) {
    struct Case {
        const char* test;
        std::string input;
        const char* expected;
    };
    const Case cases[] = {
        {"Data", "hi", "6869"}, {"Data", "", ""},
        {"Data", "\xff", "ff"}, {"Text", "hi \xC3\xA9", "text:hi \xC3\xA9"},
        {"Text", "", "none"},   {"Text", "\xff", "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.test) + " " + c.expected);
        const auto out = QuickTask::outputOfTask(
            test::binPath("devices_tests"),
            QuickTask::Arguments{std::string("--gtest_filter=QuickTaskChildSide.") + c.test},
            c.input, false);
        ASSERT_TRUE(out);
        const auto at = out->find("[[");
        ASSERT_NE(at, std::string::npos) << *out;
        EXPECT_EQ(out->substr(at + 2, out->find("]]", at) - at - 2), c.expected);
    }
}

}  // namespace
}  // namespace harbrix
