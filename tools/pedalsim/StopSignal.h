// SIGTERM and SIGINT end the simulator cleanly. The handler only writes to a pipe;
// the main loop polls it, and every wait of the simulator is cut short by it.
#pragma once

#include <chrono>

namespace harbrix::pedalsim {

class StopSignal {
  public:
    using Clock = std::chrono::steady_clock;

    static bool install();
    // Readable once a stop was requested.
    static int fd();
    static bool requested();
    // False when a stop was requested before the deadline.
    static bool sleepUntil(Clock::time_point deadline);
};

}  // namespace harbrix::pedalsim
