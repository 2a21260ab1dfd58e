// Request loop of the simulated pedal.
#include "Server.h"

#include <poll.h>

#include <cstdio>

#include "Commands.h"
#include "ControlSignal.h"
#include "Hex.h"
#include "Priority.h"
#include "StopSignal.h"

namespace harbrix::pedalsim {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes of one request that stop arriving for this long are taken as a broken request.
constexpr std::chrono::milliseconds kFrameTimeout{50};

std::string commandLabel(std::uint8_t code) {
    const CommandInfo* info = findCommand(code);
    char number[8];
    std::snprintf(number, sizeof number, "0x%02X", code);
    return info ? std::string(info->name) : std::string(number);
}

}  // namespace

Server::Server(const Options& options, PedalState state, std::optional<StateFile> stateFile,
               std::unique_ptr<PtyLine> line, Plug plug)
    : pace_(options.pace),
      log_(options.log),
      state_(std::move(state)),
      stateFile_(std::move(stateFile)),
      line_(std::move(line)),
      faults_(options.faults),
      owner_(options.owner),
      handlers_(options.identity),
      assembler_(kFrameTimeout),
      plug_(std::move(plug)),
      replugPause_(options.replugPause) {
    if (options.recordPath.empty()) return;
    record_.reset(std::fopen(options.recordPath.c_str(), "w"));
    if (!record_) std::fprintf(stderr, "pedalsim: cannot write %s\n", options.recordPath.c_str());
}

int Server::run() {
    // This thread reads and answers and does nothing else once it gets here.
    answerPromptly(log_);
    while (!StopSignal::requested()) {
        pollfd fds[4] = {{StopSignal::fd(), POLLIN, 0},
                         {line_->fd(), POLLIN, 0},
                         {ControlSignal::fd(), POLLIN, 0},
                         {line_->presenceFd(), POLLIN, 0}};
        std::optional<Clock::time_point> wake = assembler_.expiry();
        if (replugAt_ && (!wake || *replugAt_ < *wake)) wake = replugAt_;
        int timeout = -1;
        if (wake) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        const int ready = ::poll(fds, line_->presenceFd() >= 0 ? 4 : 3, timeout);
        if (ready < 0) continue;  // EINTR: the stop check decides
        if (fds[2].revents & POLLIN) control();
        if (replugAt_ && Clock::now() >= *replugAt_) replug();
        // Host departures first, so a reply to a new session is never flushed as stale.
        if (fds[3].revents & POLLIN) line_->checkHost();
        if (fds[1].revents & POLLIN) {
            receive();
        } else if (fds[1].revents & POLLHUP) {
            // Cannot happen while the slave is held open; avoid a busy loop if it does.
            StopSignal::sleepUntil(Clock::now() + std::chrono::milliseconds(10));
        }
        if (const std::size_t dropped = assembler_.expire(Clock::now()); dropped && log_) {
            std::fprintf(stderr, "pedalsim: dropped %zu bytes of an unfinished request\n", dropped);
        }
    }
    save();
    return 0;
}

void Server::receive() {
    const Bytes bytes = line_->read();
    if (bytes.empty()) return;
    // Unplugged: nothing reaches the pedal.
    if (replugAt_) return;
    if (!line_->hostAt(state_.speed())) {
        // Wrong speed: the receiver sees framing errors, not a request, and the host in
        // turn reads junk.
        assembler_.discard();
        if (log_) {
            std::fprintf(stderr, "pedalsim: %zu bytes at %u bit/s, pedal at %u: junk\n",
                         bytes.size(), line_->hostSpeed(), state_.speed());
        }
        if (!faults_.silenced()) send(lineNoise(), "noise");
        return;
    }
    assembler_.feed(bytes, Clock::now());
    while (!StopSignal::requested()) {
        const auto request = assembler_.next();
        if (!request) break;
        serve(*request);
    }
}

void Server::serve(const Request& request) {
    if (log_) {
        std::fprintf(stderr, "pedalsim: request %s: %s\n", commandLabel(request.command).c_str(),
                     hexDump(request.raw).c_str());
    }
    if (record_) {
        // A memory write also records the value written, so a test can follow settings.
        std::string value;
        if (request.command == command::kPokeC && request.payload.size() <= 8) {
            std::uint64_t word = 0;
            for (std::size_t i = 0; i < request.payload.size(); ++i)
                word |= std::uint64_t{request.payload[i]} << (8 * i);
            value = " " + std::to_string(word);
        }
        std::fprintf(record_.get(), "%s %u %u%s\n", commandLabel(request.command).c_str(),
                     request.count, request.argument, value.c_str());
        std::fflush(record_.get());
    }
    // The owner's saves land before the pedal answers, whatever it then answers.
    const std::vector<std::size_t> saves = owner_.due(request.command);
    for (const std::size_t slot : saves) {
        saveOnPedal(state_, slot);
        if (log_) std::fprintf(stderr, "pedalsim: slot %zu saved on the pedal\n", slot + 1);
    }
    if (state_.takeChanged()) save();
    owner_.settle();
    if (!faults_.admit(request.command)) {
        if (log_) std::fprintf(stderr, "pedalsim: (no answer)\n");
        return;
    }
    if (faults_.latency().count() > 0 &&
        !StopSignal::sleepUntil(Clock::now() + faults_.latency())) {
        return;
    }
    const auto forced = faults_.forcedError(request.command, request.argument);
    const Reply reply = forced ? answer(*forced) : handlers_.handle(request, state_);
    // An empty reply is a pedal that restarts without answering.
    if (!reply.bytes.empty()) {
        for (const Piece& piece :
             faults_.pieces(request.command, faults_.damage(request.command, reply.bytes))) {
            send(piece.bytes, "reply");
            if (piece.pauseAfter.count() > 0 &&
                !StopSignal::sleepUntil(Clock::now() + piece.pauseAfter)) {
                return;
            }
        }
    }
    if (faults_.strayBytes().size() > 0) send(faults_.strayBytes(), "stray");
    if (reply.speedAfter) state_.setSpeed(*reply.speedAfter);
    if (state_.takeChanged()) save();
}

void Server::send(const Bytes& bytes, const char* what) {
    if (log_) std::fprintf(stderr, "pedalsim: %s: %s\n", what, hexDump(bytes).c_str());
    if (!line_->write(bytes, pace_ ? state_.speed() : 0) && log_ && !StopSignal::requested()) {
        std::fprintf(stderr, "pedalsim: write failed\n");
    }
}

void Server::control() {
    const ControlSignal::Requests requests = ControlSignal::take();
    if (requests.heals > 0) {
        faults_.heal();
        if (log_) std::fprintf(stderr, "pedalsim: faults dropped\n");
    }
    if (requests.restarts > 0) restart();
    if (requests.replugs > 0 && !replugAt_) {
        if (log_) std::fprintf(stderr, "pedalsim: unplugged\n");
        if (plug_) plug_(false);
        line_->unlink();
        restart();
        replugAt_ = Clock::now() + replugPause_;
    }
}

// As after a power cycle: boot speed, and whatever was half-received is gone.
void Server::restart() {
    if (log_) std::fprintf(stderr, "pedalsim: restarting at %u bit/s\n", kBootSpeed);
    state_.setSpeed(kBootSpeed);
    assembler_.discard();
    if (state_.takeChanged()) save();
}

void Server::replug() {
    replugAt_.reset();
    std::string error;
    if (!line_->relink(error)) std::fprintf(stderr, "pedalsim: %s\n", error.c_str());
    if (plug_ && !plug_(true)) std::fprintf(stderr, "pedalsim: cannot list itself again\n");
    if (log_) std::fprintf(stderr, "pedalsim: plugged in again\n");
}

void Server::save() {
    if (stateFile_ && !stateFile_->save(state_)) {
        std::fprintf(stderr, "pedalsim: cannot write %s\n", stateFile_->path().c_str());
    }
}

}  // namespace harbrix::pedalsim
