// Running a program as a child of this process: pipes whose ends reach only the child they
// were made for, a fork and exec with only async-signal-safe calls between them, and one poll
// loop that feeds the child's input and drains its output together, so a child that echoes a
// large input back, writes more than a pipe holds, or never reads its input can neither block
// nor kill the runner. Standard library and POSIX only: the installer program builds its own
// copy.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harbrix::task {

// What is read or written at a time.
inline constexpr std::size_t kChunk = 64 * 1024;

// A descriptor, closed when it goes.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// Both ends close-on-exec: a pipe end must reach only the child it was made for.
bool openPipe(Fd& readEnd, Fd& writeEnd);

struct Launch {
    std::string path;
    std::vector<std::string> argv;
    std::optional<std::vector<std::string>> environment;  // none: inherit
    std::optional<std::string> directory;
    int standard[3] = {-1, -1, -1};  // the child's fds 0, 1 and 2
};

// The child's pid once it runs the program; -1 when it could not be started.
pid_t spawn(const Launch& launch);

// Keeps SIGPIPE from a write to a child that stopped reading away from the whole process:
// blocked in this thread while the guard lives, and consumed if we raised it.
class SigpipeGuard {
  public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

  private:
    bool pending() const;
    sigset_t set_;
    sigset_t previous_;
    bool wasPending_ = false;
};

using Sink = std::function<bool(std::string_view chunk)>;  // false: stop the child

// Writes `input` to `inputFd` and hands every output chunk to `sink` until the output ends
// and the input is written (or the child is gone), then reaps the child. Both fds are closed
// on return. The raw wait status, or none when waiting failed.
std::optional<int> converse(pid_t pid, Fd& inputFd, std::string_view input, Fd& outputFd,
                            const Sink& sink);

// The exit code, or the signal number for a child killed by a signal; 1 otherwise.
int terminationStatus(int raw);

}  // namespace harbrix::task
