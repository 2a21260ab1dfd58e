// Runs the simulated pedal for a test: starts build/bin/pedalsim in a fresh temporary
// folder, waits for its "ready PATH" line, and stops it again when the test is done.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace harbrix::test {

class Simulator {
  public:
    // Adds --dir (the temporary folder), --model MIV3 and --serial SIM00001 when the
    // arguments name none. Simulators given the same --dir look like pedals on one computer. Check running() before use; error() says what went wrong.
    explicit Simulator(std::vector<std::string> arguments = {},
                       std::chrono::milliseconds readyTimeout = std::chrono::seconds(5));
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    const std::string& dir() const { return folder_; }
    // File name of the device node, such as "cu.usbserial-SIM00001".
    const std::string& nodeName() const { return nodeName_; }
    const std::string& path() const { return path_; }
    pid_t pid() const { return pid_; }

    // SIGTERM, then SIGKILL when it has not ended within a bounded wait. Returns the exit
    // status (128 + the signal number when a signal ended it), -1 when nothing ran.
    int kill();
    // What a pedal's owner does to it, through the simulator's signals: restart it at its
    // boot speed on the same node; pull the cable and put it back (the node is gone for the
    // simulator's --replug-ms); let it answer normally again after fault options. False when
    // the simulator does not run.
    bool restartPedal();
    bool replug();
    bool heal();

    // Stops it if it runs and starts it again in the same folder.
    bool restart();
    bool restart(std::vector<std::string> arguments);

  private:
    bool start();

    TempDir dir_;
    std::string folder_;  // the --dir given, else dir_
    std::vector<std::string> arguments_;
    std::chrono::milliseconds readyTimeout_;
    pid_t pid_ = -1;
    int output_ = -1;
    std::string error_;
    std::string nodeName_;
    std::string path_;
};

}  // namespace harbrix::test
