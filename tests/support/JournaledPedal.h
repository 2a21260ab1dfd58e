// A simulated MIV3 for the journal's end-to-end tests: started from given slots, checked in
// its own state file, changed by harbrixctl in another process or brought up in this one, and
// a journal folder that can be made unwritable and mended again.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "devices/JournalEntry.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Paths.h"
#include "support/DeviceEvents.h"
#include "support/Paths.h"
#include "support/Program.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

namespace harbrix::test {

class JournaledPedal : public ::testing::Test {
  protected:
    static constexpr const char* kSerial = "JRN001";

    // This process and harbrixctl share the pedal's cache file, so that whichever opens the
    // line second knows the pedal already runs at its fast speed.
    void SetUp() override {
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CACHE_HOME");
    }

    // A simulated MIV3 whose slots hold `presets` (0-based slot -> bytes).
    void start(const std::map<std::size_t, Bytes>& presets, std::vector<std::string> extra = {}) {
        nlohmann::json slots = nlohmann::json::object();
        for (const auto& [slot, bytes] : presets) slots[std::to_string(slot)] = hexText(bytes);
        writeText(statePath(), nlohmann::json{{"presets", slots}}.dump());
        pedal = std::make_unique<Simulator>(arguments(extra));
        ASSERT_TRUE(pedal->running()) << pedal->error();
    }
    std::vector<std::string> arguments(const std::vector<std::string>& extra) const {
        std::vector<std::string> all = {"--model", "MIV3",    "--serial",
                                        kSerial,   "--state", statePath()};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }
    std::string statePath() const { return files.file("state.json"); }
    // Slot (as the state file names it, "0".."99") -> hexadecimal bytes; empty slots absent.
    nlohmann::json storedPresets() const {
        return nlohmann::json::parse(readText(statePath()))["presets"];
    }

    ProgramResult ctl(std::vector<std::string> words) {
        words.insert(words.begin() + 1, {pedal->path(), "MIV3"});
        return runProgram(binPath("harbrixctl"), words,
                          {{"XDG_CACHE_HOME", cache.path()},
                           {"XDG_DATA_HOME", data.path()},
                           {"HARBRIX_LINK_FRAMING", "fast"}});
    }
    // Brings the pedal up in this process for `work`, and lets it go again so that
    // harbrixctl can open it.
    void onPedal(const std::function<void(QORUARTDevice&)>& work) {
        auto device = std::make_shared<QORUARTDevice>(pedal->nodeName(), "MIV3", kSerial);
        device->setDeviceRoot(pedal->dir());
        device->line().setFraming(Framing::fast);
        ASSERT_TRUE(device->loadCache());
        ASSERT_TRUE(device->completeInitialization()) << device->failureReason();
        work(*device);
        railSync(Rails::disk(), [] {});  // the cache file is on disk before harbrixctl runs
    }

    std::string journalPath() const { return journalDirectory() + "/MIV3-" + kSerial + ".jsonl"; }
    // A plain file takes the journal folder's place, so nothing can be written there (the
    // tests run with rights no permission bit stops); mending puts the folder back.
    void breakJournal() {
        const std::string folder = journalDirectory();
        std::filesystem::create_directories(folder);
        std::filesystem::rename(folder, folder + ".away");
        writeText(folder, "not a folder");
    }
    void mendJournal() {
        const std::string folder = journalDirectory();
        std::filesystem::remove(folder);
        std::filesystem::rename(folder + ".away", folder);
    }

    TempDir files;
    TempDir cache;
    TempDir data;
    MainLoopThread mainLoop;
    std::unique_ptr<Simulator> pedal;
};

}  // namespace harbrix::test
