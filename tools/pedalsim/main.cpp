// pedalsim: a simulated pedal on a pty, for end-to-end tests and for running the
// application without hardware. Prints "ready PATH" once the node exists; ends on
// SIGTERM or SIGINT, removing the node and saving its state.
#include <cstdio>
#include <string>
#include <vector>

#include "ControlSignal.h"
#include "Inventory.h"
#include "Options.h"
#include "PtyLine.h"
#include "Server.h"
#include "StopSignal.h"

using namespace harbrix::pedalsim;

namespace {

// The state file, if any, decides the starting state; a missing file starts from the
// factory state and is written at once. A broken file is left alone and refused.
bool loadState(const Options& options, PedalState& state, std::optional<StateFile>& file) {
    state = PedalState::factory();
    if (options.statePath.empty()) return true;
    file.emplace(options.statePath);
    std::string error;
    switch (file->load(state, error)) {
        case StateFile::Load::Loaded:
            return true;
        case StateFile::Load::Missing:
            if (file->save(state)) return true;
            std::fprintf(stderr, "pedalsim: cannot write %s\n", options.statePath.c_str());
            return false;
        case StateFile::Load::Invalid:
            std::fprintf(stderr, "pedalsim: %s\n", error.c_str());
            return false;
    }
    return false;
}

// The flash chip is kept beside the state file, as raw bytes: "STATE.flash".
bool keepFlash(const Options& options, PedalState& state) {
    if (options.statePath.empty()) return true;
    std::string error;
    if (state.flash().persistTo(options.statePath + ".flash", error)) return true;
    std::fprintf(stderr, "pedalsim: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("pedalsim %s\n", HARBRIX_VERSION);
        return 0;
    }
    if (argc >= 2 && std::string(argv[1]) == "inventory") {
        if (argc == 3) return printInventory(argv[2]);
        std::fprintf(stderr, "pedalsim: inventory takes DIR\n%s", kUsage);
        return 2;
    }
    std::string error;
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "pedalsim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    PedalState state;
    std::optional<StateFile> stateFile;
    if (!loadState(*options, state, stateFile) || !keepFlash(*options, state)) return 1;
    if (!StopSignal::install() || !ControlSignal::install()) {
        std::perror("pedalsim: signals");
        return 1;
    }
    auto line = PtyLine::open(options->dir + "/" + options->nodeName(), error);
    if (!line) {
        std::fprintf(stderr, "pedalsim: %s\n", error.c_str());
        return 1;
    }
    // Plugged in: listed by "pedalsim inventory" until it ends.
    auto registration = Registration::create(*options, line->linkPath(), error);
    if (!registration) {
        std::fprintf(stderr, "pedalsim: %s\n", error.c_str());
        return 1;
    }
    // A USB record whose node the system has not made yet.
    if (options->noNode) line->unlink();
    std::printf("ready %s\n", line->linkPath().c_str());
    std::fflush(stdout);
    const std::string node = line->linkPath();
    auto plug = [&registration, &options, node](bool plugged) {
        registration.reset();
        if (!plugged) return true;
        std::string why;
        registration = Registration::create(*options, node, why);
        return registration != nullptr;
    };
    Server server(*options, std::move(state), std::move(stateFile), std::move(line), plug);
    const int status = server.run();
    registration.reset();
    return status;
}
