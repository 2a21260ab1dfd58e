// A connected pedal that restarts: after a reboot, at the end of a firmware flash, after a
// factory reset that restarts it, or on its own (its owner, a power dip). It comes back at
// its boot speed, having forgotten the switch to its fast one, on the same line. The host
// side goes back to the boot speed, the pedal is waited for and brought up again as a new
// connection would be, and what a restart may change (identity, command set, time-outs,
// preset geometry, state block, settings) is read again.
//
// Everything here runs on the pedal's queue, so nothing else reaches the pedal meanwhile. The
// delegate hears deviceIsRestarting when it starts and deviceHasRestarted when it ends; a
// pedal that does not come back is marked lost, and discovery then lets it go.
#pragma once

#include "link/QORUARTDevice.h"

namespace harbrix {

class PedalRestart {
  public:
    // How long a restarting pedal is waited for, on top of its own reboot time-out.
    static constexpr double kAnswerSeconds = 8.0;

    explicit PedalRestart(QORUARTDevice& device) : device_(device) {}

    // Reboots the pedal and brings it back. False when it refused to reboot, or did not
    // come back.
    bool reboot();
    // After a request the pedal restarts on: waits for it and brings it back.
    bool awaitReturn();
    // Whether the pedal still answers at its speed; one that does not is taken to have
    // restarted and is brought back once. False when it does not come back.
    bool answersOrComesBack();

  private:
    bool comeBack();
    // Waits for an answer at the boot speed, until the deadline or the pedal has gone.
    bool waitForAnswer();
    // One cheap exchange ("GET_CMDS") at the speed the line runs at.
    bool answers();
    void announce(bool restarting, bool back);

    QORUARTDevice& device_;
};

}  // namespace harbrix
