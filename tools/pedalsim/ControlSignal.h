// Signals that make the simulated pedal do what a real one does when its owner handles it.
// SIGUSR1: the pedal restarts (power cycle, reset button): it comes back at its boot speed
// and has forgotten any switch the host asked for, on the same node. SIGUSR2: the cable is
// pulled and put back: the node and the USB record go for a while (--replug-ms), then come
// back on the same terminal, the pedal at its boot speed. SIGHUP: every fault option is
// dropped, and the pedal answers as a healthy one from then on.
#pragma once

namespace harbrix::pedalsim {

class ControlSignal {
  public:
    struct Requests {
        int restarts = 0;
        int replugs = 0;
        int heals = 0;
    };

    static bool install();
    // Readable when a request is waiting.
    static int fd();
    // The requests that arrived since the last call.
    static Requests take();
};

}  // namespace harbrix::pedalsim
