// The pedal's main loop: reads requests off the line, judges the line speed, applies
// the faults, lets the handler table answer and keeps the state file current.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>

#include "Faults.h"
#include "Handlers.h"
#include "Options.h"
#include "PedalState.h"
#include "PtyLine.h"
#include "Request.h"
#include "StateFile.h"

namespace harbrix::pedalsim {

class Server {
  public:
    Server(const Options& options, PedalState state, std::optional<StateFile> stateFile,
           std::unique_ptr<PtyLine> line);

    // Runs until a stop signal; saves the state on the way out. Returns the exit status.
    int run();

  private:
    void receive();
    void serve(const Request& request);
    void send(const Bytes& bytes, const char* what);
    void save();

    bool pace_;
    bool log_;
    PedalState state_;
    std::optional<StateFile> stateFile_;
    std::unique_ptr<PtyLine> line_;
    Faults faults_;
    HandlerTable handlers_;
    RequestAssembler assembler_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> record_{nullptr, &std::fclose};
};

}  // namespace harbrix::pedalsim
