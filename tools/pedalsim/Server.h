// The pedal's main loop: reads requests off the line, judges the line speed, applies
// the faults, lets the handler table answer and keeps the state file current.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "Faults.h"
#include "Handlers.h"
#include "Options.h"
#include "Owner.h"
#include "PedalState.h"
#include "PtyLine.h"
#include "Request.h"
#include "StateFile.h"

namespace harbrix::pedalsim {

class Server {
  public:
    // `plug` lists the pedal in the USB inventory (true) or takes it out (false).
    using Plug = std::function<bool(bool plugged)>;
    Server(const Options& options, PedalState state, std::optional<StateFile> stateFile,
           std::unique_ptr<PtyLine> line, Plug plug = {});

    // Runs until a stop signal; saves the state on the way out. Returns the exit status.
    int run();

  private:
    void receive();
    void serve(const Request& request);
    void send(const Bytes& bytes, const char* what);
    void save();
    // The control signals: a restart, a cable pulled and put back, faults dropped.
    void control();
    void restart();
    void replug();

    bool pace_;
    bool log_;
    PedalState state_;
    std::optional<StateFile> stateFile_;
    std::unique_ptr<PtyLine> line_;
    Faults faults_;
    Owner owner_;
    HandlerTable handlers_;
    RequestAssembler assembler_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> record_{nullptr, &std::fclose};
    Plug plug_;
    std::chrono::milliseconds replugPause_;
    // While unplugged: when the cable goes back in.
    std::optional<std::chrono::steady_clock::time_point> replugAt_;
};

}  // namespace harbrix::pedalsim
