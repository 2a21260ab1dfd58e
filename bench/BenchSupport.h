// Shared pieces of the end-to-end benchmarks: a simulated pedal full of presets, a pedal
// brought up against it, and wall-clock timing.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/QORUARTDevice.h"
#include "support/Simulator.h"

namespace harbrix::bench {

constexpr double kBenchSpeed = 2000000.0;  // bit/s
constexpr double kBitsPerByte = 10.0;      // start + 8 data + stop

// Time on the wire for the given byte count at the benchmark speed, in milliseconds.
inline double wireMilliseconds(double bytes) { return bytes * kBitsPerByte / kBenchSpeed * 1000.0; }

inline double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Writes a simulator state file with every slot occupied.
std::string writeFullState(const std::string& dir);

// A paced MIV3 simulator with a 1 ms device latency and 100 occupied slots; `extra` adds
// simulator options.
std::unique_ptr<test::Simulator> startPacedSimulator(const std::string& stateDir, const std::string& serial,
                                                     const std::vector<std::string>& extra = {});

// A device brought up against the simulator with the given framing; empty on failure.
std::shared_ptr<QORUARTDevice> bringUp(const test::Simulator& simulator, Framing framing);

}  // namespace harbrix::bench
