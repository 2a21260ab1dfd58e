#include "devices/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace harbrix::task {
namespace {

// Only async-signal-safe calls from fork to exec; `errorFd` reports a failed exec.
[[noreturn]] void becomeChild(const Launch& launch, char* const* argv, char* const* envp,
                              int errorFd, int maxFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, nullptr);

    // Lift every descriptor we need above 2 first so that no dup2 below can clobber one.
    if (errorFd < 3) errorFd = fcntl(errorFd, F_DUPFD_CLOEXEC, 3);
    int sources[3];
    for (int i = 0; i < 3; ++i) {
        sources[i] =
            launch.standard[i] < 3 ? fcntl(launch.standard[i], F_DUPFD, 3) : launch.standard[i];
    }
    int error = 0;
    for (int i = 0; i < 3 && error == 0; ++i) {
        if (dup2(sources[i], i) < 0) error = errno;
    }
    if (error == 0 && launch.directory && chdir(launch.directory->c_str()) != 0) error = errno;
    if (error == 0) {
        // Descriptors the rest of the program opened without close-on-exec stay ours.
        bool closed = false;
#if defined(SYS_close_range)
        closed = (errorFd == 3 || syscall(SYS_close_range, 3u, errorFd - 1u, 0u) == 0) &&
                 syscall(SYS_close_range, errorFd + 1u, ~0u, 0u) == 0;
#endif
        for (int fd = 3; !closed && fd < maxFd; ++fd) {
            if (fd != errorFd) close(fd);
        }
        execve(launch.path.c_str(), argv, envp);
        error = errno;
    }
    ssize_t ignored = write(errorFd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

int highestDescriptorBound() {
    struct rlimit limit = {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 65536;
    return limit.rlim_cur > 65536 ? 65536 : static_cast<int>(limit.rlim_cur);
}

std::optional<int> waitStatus(pid_t pid, bool block) {
    int raw = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &raw, block ? 0 : WNOHANG);
        if (done == pid) return raw;
        if (done == 0) return std::nullopt;
        if (errno != EINTR) return -1;  // not ours to wait for any more; treated as failure
    }
}

// Stops a child whose output we no longer want; a child that ignores SIGTERM is killed.
std::optional<int> terminate(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (auto raw = waitStatus(pid, false)) return raw;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    return waitStatus(pid, true);
}

}  // namespace

bool openPipe(Fd& readEnd, Fd& writeEnd) {
    int fds[2];
#ifdef __linux__
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
#else
    if (::pipe(fds) != 0) return false;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#endif
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    return true;
}

pid_t spawn(const Launch& launch) {
    std::vector<char*> argv;
    for (const auto& a : launch.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    if (launch.environment) {
        for (const auto& e : *launch.environment) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
    }
    Fd errorRead, errorWrite;
    if (!openPipe(errorRead, errorWrite)) return -1;
    const int maxFd = highestDescriptorBound();
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        becomeChild(launch, argv.data(), launch.environment ? envp.data() : environ,
                    errorWrite.get(), maxFd);
    }
    errorWrite.reset();
    int error = 0;
    ssize_t got;
    do {
        got = ::read(errorRead.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == 0) return pid;  // end of file: the exec closed the pipe
    waitStatus(pid, true);
    return -1;
}

std::optional<int> converse(pid_t pid, Fd& inputFd, std::string_view input, Fd& outputFd,
                            const Sink& sink) {
    std::size_t written = 0;
    if (inputFd.valid()) ::fcntl(inputFd.get(), F_SETFL, O_NONBLOCK);
    if (inputFd.valid() && input.empty()) inputFd.reset();
    std::optional<int> raw;
    std::vector<char> buffer(kChunk);
    while (inputFd.valid() || outputFd.valid()) {
        pollfd fds[2];
        nfds_t count = 0;
        pollfd* outputPoll =
            outputFd.valid() ? &(fds[count++] = {outputFd.get(), POLLIN, 0}) : nullptr;
        pollfd* inputPoll =
            inputFd.valid() ? &(fds[count++] = {inputFd.get(), POLLOUT, 0}) : nullptr;
        // With the output closed, nothing tells us the child has exited while another
        // process still holds its input open; look at the child now and then.
        const int ready = ::poll(fds, count, outputPoll ? -1 : 50);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) break;
        if (ready == 0) {
            raw = waitStatus(pid, false);
            if (raw) inputFd.reset();
            continue;
        }
        if (outputPoll && outputPoll->revents != 0) {
            const ssize_t got = ::read(outputFd.get(), buffer.data(), buffer.size());
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                outputFd.reset();
            } else if (got > 0 && !sink(std::string_view(buffer.data(), std::size_t(got)))) {
                outputFd.reset();
                inputFd.reset();
                raw = terminate(pid);
                break;
            }
        }
        if (inputPoll && inputPoll->revents != 0) {
            const std::size_t size = std::min(input.size() - written, kChunk);
            const ssize_t put = ::write(inputFd.get(), input.data() + written, size);
            if (put < 0 && errno != EINTR && errno != EAGAIN) {
                inputFd.reset();  // the child stopped reading; the rest is not wanted
            } else if (put > 0 && (written += std::size_t(put)) == input.size()) {
                inputFd.reset();  // end of file for the child
            }
        }
    }
    inputFd.reset();
    outputFd.reset();
    if (!raw) raw = waitStatus(pid, true);
    if (raw && *raw == -1) return std::nullopt;
    return raw;
}

int terminationStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return WTERMSIG(raw);
    return 1;
}

SigpipeGuard::SigpipeGuard() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    wasPending_ = pending();
}

SigpipeGuard::~SigpipeGuard() {
    if (!wasPending_ && pending()) {
#ifdef __linux__
        const struct timespec zero = {};
        sigtimedwait(&set_, nullptr, &zero);
#else
        int signal = 0;
        sigwait(&set_, &signal);
#endif
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool SigpipeGuard::pending() const {
    sigset_t now;
    sigemptyset(&now);
    return sigpending(&now) == 0 && sigismember(&now, SIGPIPE) == 1;
}

}  // namespace harbrix::task
