// What the preset commands of harbrixctl share: slot numbers as the user writes them, the
// pedal brought up for preset work, and a progress bar for the long ones.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "DeviceSession.h"
#include "devices/ChangeRefusal.h"
#include "devices/Preset.h"
#include "link/QORUARTDevice.h"

namespace harbrix::ctl {

using PresetRef = std::shared_ptr<Preset>;

// Exit statuses: bad input (a file, a slot, a missing pedal) and a pedal that failed.
inline constexpr int kBadInput = 2;
inline constexpr int kPedalFailed = 1;

// "1".."100" as the user numbers slots, to the 0-based slot; none for anything else.
std::optional<std::size_t> parseSlot(const std::string& text);
// The usage error for a slot argument parseSlot refused.
int badSlot(const std::string& text);
// "07": a slot as the user sees it.
std::string slotLabel(std::size_t slot);
// The name for printing: control characters from the pedal are shown as "?".
std::string printableName(const std::string& name);

// The pedal the line names (see DeviceSession::fromCommandLine) for a command with `own`
// arguments of its own; none, after saying why, with the bad-input status in `status`.
std::shared_ptr<DeviceSession> presetSession(const CommandLine& line, std::size_t own, int& status);
// Brings the session's pedal up on its queue and runs `work` there. A pedal that does not come
// up, or one without preset commands, is bad input.
int onPedal(DeviceSession& session, const CommandLine& line,
            const std::function<int(QORUARTDevice&)>& work);

// Says `message` ("harbrixctl: ...") and returns `status`.
int fail(int status, const std::string& message);
// 0 when the pedal has the slot, else the bad-input status after saying so.
int checkSlot(const QORUARTDevice& device, std::size_t slot);
// The pedal's occupied slots, from its state block; none when the pedal did not answer.
std::optional<std::vector<std::size_t>> occupiedSlots(QORUARTDevice& device);
// The exact preset size the pedal takes.
std::size_t presetSize(const QORUARTDevice& device);

// Whether the line lets a change go on when its journal entry cannot be written
// (--no-journal).
WithoutJournal withoutJournal(const CommandLine& line);
// Says why a change sent nothing ("harbrixctl: ...", naming the journal's path when it could
// not be written) and returns the pedal-failed status.
int refused(const ChangeRefusal& refusal);
// The slot read from the pedal into the cache, so that a change made from it is checked
// against what the pedal holds just before it, and kept in the library; none, after saying
// why, when it could not be read.
PresetRef readSlot(QORUARTDevice& device, std::size_t slot, int& status);

// A bar on standard error while it is a terminal; nothing otherwise.
class ProgressBar {
  public:
    ProgressBar(std::string label, std::size_t total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void advance();
    // Clears the bar's line, so a message can follow.
    void clear();

  private:
    void draw() const;

    std::string label_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
};

}  // namespace harbrix::ctl
