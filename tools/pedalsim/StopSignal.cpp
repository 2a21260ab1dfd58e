// Self-pipe for the stop signals.
#include "StopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace harbrix::pedalsim {
namespace {

int pipeFds[2] = {-1, -1};
std::atomic<bool> stopRequested{false};

extern "C" void onStop(int) {
    const int saved = errno;
    stopRequested = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool StopSignal::install() {
    if (pipeFds[0] >= 0) return true;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

int StopSignal::fd() {
    return pipeFds[0];
}

bool StopSignal::requested() {
    return stopRequested;
}

bool StopSignal::sleepUntil(Clock::time_point deadline) {
    while (!requested()) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        // poll() counts whole milliseconds: it takes the bulk, a short sleep the rest.
        if (left < std::chrono::milliseconds(2)) {
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
            ::usleep(static_cast<useconds_t>(us));
            continue;
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count() - 1;
        pollfd p{fd(), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(ms));
    }
    return false;
}

}  // namespace harbrix::pedalsim
