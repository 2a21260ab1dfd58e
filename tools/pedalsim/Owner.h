// The pedal's owner at work on the pedal itself: saving presets with the pedal's own knobs and
// footswitch, behind the host's back. A save happens just before the pedal answers a given
// request (--owner-edit CMD#N=SLOT, counted from the start), or before it answers the next
// request after slots were listed in a file (--owner-file FILE: slot numbers 1-100, one a
// line; the file is removed once the pedal has saved them and written its state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "PedalState.h"

namespace harbrix::pedalsim {

struct OwnerPlan {
    // (command, n) -> slot (0-based), for the nth request of that command (1 = the first)
    std::map<std::pair<std::uint8_t, std::uint64_t>, std::size_t> edits;
    std::string file;
};

class Owner {
  public:
    explicit Owner(OwnerPlan plan) : plan_(std::move(plan)) {}

    // Counts the request; the slots the owner saves before the pedal answers it.
    std::vector<std::size_t> due(std::uint8_t command);
    // The saves are in the pedal's state file: the list that asked for them goes.
    void settle();

  private:
    OwnerPlan plan_;
    std::map<std::uint8_t, std::uint64_t> seen_;  // requests per command
    bool fileRead_ = false;
};

// What a save on the pedal makes of the slot: its preset with the master volume one step up,
// or, in an empty slot, the running sound under the name "Saved on pedal".
void saveOnPedal(PedalState& state, std::size_t slot);

}  // namespace harbrix::pedalsim
