// Self-pipe for the control signals; the handler writes one byte per signal.
#include "ControlSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace harbrix::pedalsim {
namespace {

int pipeFds[2] = {-1, -1};
constexpr char kRestart = 'r';
constexpr char kReplug = 'p';
constexpr char kHeal = 'h';

extern "C" void onControl(int signal) {
    const int saved = errno;
    const char byte = signal == SIGUSR1 ? kRestart : signal == SIGUSR2 ? kReplug : kHeal;
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool ControlSignal::install() {
    if (pipeFds[0] >= 0) return true;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onControl;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGUSR1, &action, nullptr) == 0 &&
           ::sigaction(SIGUSR2, &action, nullptr) == 0 &&
           ::sigaction(SIGHUP, &action, nullptr) == 0;
}

int ControlSignal::fd() {
    return pipeFds[0];
}

ControlSignal::Requests ControlSignal::take() {
    Requests requests;
    char bytes[64];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            if (bytes[i] == kRestart) ++requests.restarts;
            if (bytes[i] == kReplug) ++requests.replugs;
            if (bytes[i] == kHeal) ++requests.heals;
        }
    }
    return requests;
}

}  // namespace harbrix::pedalsim
