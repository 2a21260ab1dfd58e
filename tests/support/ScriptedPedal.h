// An in-memory pedal behind a ScriptedLine: it answers the bring-up and the preset commands
// from a few fields a test sets, and a device is brought up against it in one call. Faults
// are plain fields: a command answered with an error, slots whose reads fail.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "link/QORUARTDevice.h"
#include "platform/Bytes.h"
#include "support/ScriptedLine.h"

namespace harbrix::test {

class ScriptedPedal {
  public:
    // "MIV3" on firmware 42 (with its memory map) or "NAX3" (no preset commands).
    explicit ScriptedPedal(std::string model = "MIV3");

    // A device brought up against this pedal on a fresh scripted line; empty when bring-up
    // failed. The device has no queue unless given, and no serial unless `serial` names one
    // (a serial gives it a journal).
    std::shared_ptr<QORUARTDevice> bringUp(const std::string& serial = "");
    const std::shared_ptr<ScriptedLine>& line() const { return line_; }

    // What the pedal holds and how it misbehaves; change them only while no exchange runs.
    std::map<std::size_t, Bytes> presets;
    std::uint8_t slots = 100;
    std::uint8_t parameters = 104;
    std::uint32_t selected = 0;
    std::map<std::uint8_t, std::uint8_t> errors;  // command -> error it answers with
    std::set<std::size_t> unreadable;             // READ_PRESET answers error 5 for these
    // (command, argument) -> error, for one slot only
    std::map<std::pair<std::uint8_t, std::uint32_t>, std::uint8_t> slotErrors;
    // (command, n) -> error, for the nth request of that command only (1 = the first)
    std::map<std::pair<std::uint8_t, std::size_t>, std::uint8_t> nthErrors;
    // Commands it carries out without answering, as a pedal restarted right after.
    std::set<std::uint8_t> unanswered;
    // Commands it advertises; empty: all that the model has.
    std::set<std::uint8_t> commands;

    // The address of the "selected-preset" word on firmware 42.
    static constexpr std::uint32_t kSelectedPresetAddress = 0x1190078C;

  private:
    std::optional<Bytes> answer(const Bytes& request);

    std::string model_;
    std::map<std::uint8_t, std::size_t> seen_;  // requests per command
    std::shared_ptr<ScriptedLine> line_ = std::make_shared<ScriptedLine>();
    std::mutex mutex_;
};

// A 104-byte preset named `name`, its parameter bytes filled from `seed`.
Bytes presetBytes(const std::string& name, std::uint8_t seed = 0);

}  // namespace harbrix::test
