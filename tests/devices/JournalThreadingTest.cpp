// The journal's titles, read on one thread as a menu reads them on the window's, while a watch
// on the pedal's queue takes in the entries another writer adds to the same file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "devices/JournalWatch.h"
#include "link/Rails.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

TEST(JournalThreading, AWatchTakesInAnotherWritersEntriesWhileTitlesAreRead) {
    test::TempDir data;
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    test::ScriptedPedal pedal;
    const auto device = pedal.bringUp("THREAD1");
    ASSERT_TRUE(device);
    device->setQueue(railsQueue("journal-watch-test"));

    const auto journal = Journal::forDevice(*device);
    std::promise<void> heard;
    std::atomic<bool> once{false};
    auto watch = JournalWatch::start(device, [&] {
        if (journal->titles().undo == "Copy" && !once.exchange(true)) heard.set_value();
    });
    ASSERT_TRUE(watch);
    auto heardCopy = heard.get_future();

    // As another process sees the same file.
    Journal other(journal->path());
    std::thread writer([&] {
        const Bytes bytes = test::presetBytes("Lead", 1);
        for (int i = 0; i < 40; ++i) {
            const auto number = other.begin(i == 39 ? "Copy" : "Move", {{1, {}, bytes}});
            if (number) other.finish(*number, {1});
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (heardCopy.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < deadline) {
        const JournalTitles titles = watch->titles();
        EXPECT_TRUE(titles.undo.empty() || titles.undo == "Move" || titles.undo == "Copy");
    }
    writer.join();
    EXPECT_EQ(heardCopy.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_EQ(watch->titles(), (JournalTitles{"Copy", ""}));
    watch.reset();
    railSync(device->queue(), [] {});  // a look under way has ended
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace harbrix
