// The runner forks and execs with only async-signal-safe calls in the child, because it is
// called from several work queues at once. One poll loop in the calling thread feeds the
// input and drains the output together, so a child that echoes a large input back, writes
// more than a pipe holds, or never reads its input can neither block nor kill the runner.
#include "devices/QuickTask.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string_view>
#include <thread>

#include "platform/Log.h"

extern char** environ;

namespace harbrix {
namespace {

constexpr const char* kInputMarker = "QuickTask.STDIN";
constexpr std::size_t kChunk = 64 * 1024;

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

struct Launch {
    std::string path;
    std::vector<std::string> argv;
    std::optional<std::vector<std::string>> environment;  // none: inherit
    std::optional<std::string> directory;
    int standard[3] = {-1, -1, -1};  // the child's fds 0, 1 and 2
};

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

// The child's pid once it runs the program; -1 when it could not be started.
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

// Keeps SIGPIPE from a write to a child that stopped reading away from the whole process:
// blocked in this thread while the guard lives, and consumed if we raised it.
class SigpipeGuard {
  public:
    SigpipeGuard() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
        wasPending_ = pending();
    }
    ~SigpipeGuard() {
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
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

  private:
    bool pending() const {
        sigset_t now;
        sigemptyset(&now);
        return sigpending(&now) == 0 && sigismember(&now, SIGPIPE) == 1;
    }
    sigset_t set_;
    sigset_t previous_;
    bool wasPending_ = false;
};

using Sink = std::function<bool(std::string_view chunk)>;  // false: stop the child

// Writes `input` to `inputFd` and hands every output chunk to `sink` until the output ends
// and the input is written (or the child is gone), then reaps the child. Both fds are closed
// on return. The raw wait status, or none when waiting failed.
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

// The runner's environment with the input marker set; empty when the runner has none.
std::vector<std::string> markedEnvironment() {
    std::vector<std::string> copy;
    if (environ == nullptr || *environ == nullptr) return copy;
    const std::string key = std::string(kInputMarker) + "=";
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string_view(*e).substr(0, key.size()) != key) copy.emplace_back(*e);
    }
    copy.push_back(key + "YES");
    return copy;
}

std::vector<std::string> argumentVector(const std::string& path,
                                        const std::optional<QuickTask::Arguments>& arguments) {
    std::vector<std::string> argv{path};
    if (arguments) argv.insert(argv.end(), arguments->begin(), arguments->end());
    return argv;
}

std::string describe(const std::optional<QuickTask::Arguments>& arguments) {
    if (!arguments) return "(null)";
    std::string text = "(";
    for (std::size_t i = 0; i < arguments->size(); ++i) {
        if (i > 0) text += ", ";
        text += (*arguments)[i];
    }
    return text + ")";
}

// Length of the UTF-8 text up to an incomplete final sequence (allowed only when more may
// follow); none when the text is not UTF-8.
std::optional<std::size_t> utf8Length(std::string_view text, bool more) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0) return std::nullopt;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k == text.size()) return more ? std::optional(i) : std::nullopt;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (next & 0x3F);
            // Reject overlong forms and surrogates as soon as the second byte shows them.
            if (k == 1 &&
                ((length == 3 && code < 0x20) || (length == 4 && code < 0x10) ||
                 (length == 3 && code >= 0x360 && code < 0x380) || (length == 4 && code >= 0x110)))
                return std::nullopt;
        }
        i += length;
    }
    return i;
}

bool isBlank(std::uint32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// White space and line breaks, Unicode ones included, cut at both ends of valid UTF-8.
std::string trim(const std::string& text) {
    auto decode = [&](std::size_t at, std::size_t& length) {
        const auto lead = static_cast<unsigned char>(text[at]);
        length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        return code;
    };
    std::size_t begin = 0;
    std::size_t length = 0;
    while (begin < text.size() && isBlank(decode(begin, length))) begin += length;
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        if (!isBlank(decode(start, length))) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

// Finds the first accepted match in the output seen so far. A match that reaches the end of
// what has arrived may still grow, so it waits for more output unless the output has ended.
class PatternSearch {
  public:
    PatternSearch(const std::regex& pattern, const std::optional<std::set<std::string>>& reject)
        : pattern_(pattern), reject_(reject) {}

    // False once the search is over: a result, or output that cannot be searched.
    bool feed(std::string_view chunk, bool ended) {
        text_.append(chunk);
        const auto complete = utf8Length(text_, !ended);
        if (!complete) return false;
        while (from_ <= *complete) {
            auto flags = std::regex_constants::match_default;
            if (from_ > 0) flags |= std::regex_constants::match_prev_avail;
            if (!ended) flags |= std::regex_constants::match_not_eol;
            std::smatch match;
            const auto first = text_.cbegin() + static_cast<std::ptrdiff_t>(from_);
            const auto last = text_.cbegin() + static_cast<std::ptrdiff_t>(*complete);
            if (!std::regex_search(first, last, match, pattern_, flags)) return true;
            const std::size_t end = static_cast<std::size_t>(match[0].second - text_.cbegin());
            if (!ended && end == *complete) return true;
            const auto& group = match[match.size() - 1];
            if (!group.matched) return false;
            if (!reject_ || reject_->count(group.str()) == 0) {
                result_ = group.str();
                return false;
            }
            from_ = end + (match.length(0) == 0 ? 1 : 0);
            while (from_ < *complete && (static_cast<unsigned char>(text_[from_]) & 0xC0) == 0x80)
                ++from_;
        }
        return true;
    }
    const std::optional<std::string>& result() const { return result_; }

  private:
    const std::regex& pattern_;
    const std::optional<std::set<std::string>>& reject_;
    std::string text_;
    std::size_t from_ = 0;
    std::optional<std::string> result_;
};

}  // namespace

int QuickTask::statusOfTask(const std::optional<std::string>& path,
                            const std::optional<Arguments>& arguments,
                            const std::optional<std::string>& input,
                            const std::optional<Environment>& /*environment*/,
                            const std::optional<std::string>& launchedFrom) {
    const std::string shownPath = path ? *path : "(null)";
    const std::string shownArguments = describe(arguments);
    auto step = [&](int n) {
        logFormat("statusOfTask: %s withArguments: %s :: %d", shownPath.c_str(),
                  shownArguments.c_str(), n);
    };
    step(1);
    if (!path) return 1;
    step(2);
    Launch launch;
    step(3);
    launch.path = *path;
    step(4);
    if (launchedFrom) {
        step(5);
        launch.directory = *launchedFrom;
    }
    step(6);
    if (arguments) step(7);
    launch.argv = argumentVector(*path, arguments);
    step(8);
    Fd inputRead, inputWrite;
    step(9);
    if (input && !openPipe(inputRead, inputWrite)) return 1;
    step(10);
    if (input) {
        step(11);
        launch.standard[0] = inputRead.get();
        step(12);
        auto environment = markedEnvironment();
        if (environment.empty()) return 1;
        step(13);
        step(14);
        launch.environment = std::move(environment);
    }
    step(15);
    Fd null(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!null.valid()) return 1;
    if (!input) launch.standard[0] = null.get();
    launch.standard[1] = launch.standard[2] = null.get();
    std::optional<SigpipeGuard> guard;
    if (input) guard.emplace();
    step(16);
    const pid_t pid = spawn(launch);
    inputRead.reset();
    if (pid < 0) return 1;
    step(17);
    if (input) step(18);
    step(19);
    Fd noOutput;
    const auto raw = converse(pid, inputWrite, input ? *input : "", noOutput, nullptr);
    step(20);
    return raw ? terminationStatus(*raw) : 1;
}

bool QuickTask::executeTask(const std::optional<std::string>& path,
                            const std::optional<Arguments>& arguments,
                            const std::optional<std::string>& input,
                            const std::optional<Environment>& environment,
                            const std::optional<std::string>& launchedFrom) {
    return statusOfTask(path, arguments, input, environment, launchedFrom) == 0;
}

std::optional<std::string> QuickTask::outputOfTask(const std::optional<std::string>& path,
                                                   const std::optional<Arguments>& arguments,
                                                   const std::optional<std::string>& input,
                                                   bool trimmed) {
    if (!path) return std::nullopt;
    Launch launch;
    launch.path = *path;
    launch.argv = argumentVector(*path, arguments);
    Fd outputRead, outputWrite, inputRead, inputWrite;
    if (!openPipe(outputRead, outputWrite)) return std::nullopt;
    if (input) {
        if (!openPipe(inputRead, inputWrite)) return std::nullopt;
        auto environment = markedEnvironment();
        if (environment.empty()) return std::nullopt;
        launch.environment = std::move(environment);
    }
    Fd null(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!null.valid()) return std::nullopt;
    launch.standard[0] = input ? inputRead.get() : null.get();
    launch.standard[1] = outputWrite.get();
    launch.standard[2] = null.get();
    std::optional<SigpipeGuard> guard;
    if (input) guard.emplace();
    const pid_t pid = spawn(launch);
    inputRead.reset();
    outputWrite.reset();
    if (pid < 0) return std::nullopt;
    std::string output;
    const auto raw =
        converse(pid, inputWrite, input ? *input : "", outputRead, [&](std::string_view chunk) {
            output.append(chunk);
            return true;
        });
    if (!raw || terminationStatus(*raw) != 0) return std::nullopt;
    if (!utf8Length(output, false)) return std::nullopt;
    return trimmed ? trim(output) : output;
}

std::optional<std::string> QuickTask::outputOfTaskSearchingForPattern(
    const std::optional<std::string>& path, const std::optional<Arguments>& arguments,
    const std::string& pattern, const std::optional<std::set<std::string>>& reject) {
    if (!path || pattern.empty()) return std::nullopt;
    std::regex compiled;
    try {
        compiled = std::regex(pattern, std::regex_constants::ECMAScript);
    } catch (const std::regex_error&) {
        return std::nullopt;
    }
    Launch launch;
    launch.path = *path;
    launch.argv = argumentVector(*path, arguments);
    Fd outputRead, outputWrite, noInput;
    if (!openPipe(outputRead, outputWrite)) return std::nullopt;
    Fd null(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!null.valid()) return std::nullopt;
    launch.standard[0] = launch.standard[2] = null.get();
    launch.standard[1] = outputWrite.get();
    const pid_t pid = spawn(launch);
    outputWrite.reset();
    if (pid < 0) return std::nullopt;
    PatternSearch search(compiled, reject);
    bool searching = true;
    converse(pid, noInput, "", outputRead,
             [&](std::string_view chunk) { return searching = search.feed(chunk, false); });
    if (searching) search.feed("", true);  // a match may end where the output ended
    return search.result();
}

std::optional<Bytes> QuickTask::input() {
    if (std::getenv(kInputMarker) == nullptr) return std::nullopt;
    Bytes data;
    std::vector<std::uint8_t> buffer(kChunk);
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return data;
        data.insert(data.end(), buffer.begin(), buffer.begin() + got);
    }
}

std::optional<std::string> QuickTask::stringInput() {
    const auto data = input();
    if (!data || data->empty()) return std::nullopt;
    std::string text(data->begin(), data->end());
    if (!utf8Length(text, false)) return std::nullopt;
    return text;
}

}  // namespace harbrix
