// posix_spawn of the simulator with its standard output on a pipe.
#include "support/Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "support/Paths.h"

extern char** environ;

namespace harbrix::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTermWait = std::chrono::seconds(3);

bool has(const std::vector<std::string>& arguments, const std::string& option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

int statusOf(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

Simulator::Simulator(std::vector<std::string> arguments, std::chrono::milliseconds readyTimeout)
    : dir_("pedalsim"), arguments_(std::move(arguments)), readyTimeout_(readyTimeout) {
    const auto given = std::find(arguments_.begin(), arguments_.end(), "--dir");
    folder_ = given != arguments_.end() && given + 1 != arguments_.end() ? *(given + 1) : dir_.path();
    start();
}

Simulator::~Simulator() {
    kill();
}

bool Simulator::restart() {
    kill();
    return start();
}

bool Simulator::restart(std::vector<std::string> arguments) {
    kill();
    arguments_ = std::move(arguments);
    return start();
}

bool Simulator::start() {
    error_.clear();
    nodeName_.clear();
    path_.clear();
    if (dir().empty()) {
        error_ = "no temporary folder";
        return false;
    }
    std::vector<std::string> argv{binPath("pedalsim")};
    if (!has(arguments_, "--model")) argv.insert(argv.end(), {"--model", "MIV3"});
    if (!has(arguments_, "--serial")) argv.insert(argv.end(), {"--serial", "SIM00001"});
    argv.insert(argv.end(), arguments_.begin(), arguments_.end());
    if (!has(arguments_, "--dir")) argv.insert(argv.end(), {"--dir", dir()});
    std::vector<char*> raw;
    for (std::string& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        error_ = "cannot start " + argv[0] + ": " + std::strerror(spawned);
        return false;
    }
    pid_ = pid;
    output_ = pipeFds[0];

    // Read its first line: "ready PATH".
    std::string line;
    const Clock::time_point deadline = Clock::now() + readyTimeout_;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            error_ =
                "pedalsim was not ready within " + std::to_string(readyTimeout_.count()) + " ms";
            break;
        }
        pollfd p{output_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n <= 0) {
            int raw = 0;
            ::waitpid(pid_, &raw, 0);
            pid_ = -1;
            error_ = "pedalsim ended with status " + std::to_string(statusOf(raw)) +
                     " before it was ready";
            break;
        }
        line.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string prefix = "ready ";
    if (error_.empty() && line.rfind(prefix, 0) != 0) error_ = "unexpected output: " + line;
    if (!error_.empty()) {
        kill();
        return false;
    }
    path_ = line.substr(prefix.size(), line.find('\n') - prefix.size());
    nodeName_ = path_.substr(path_.rfind('/') + 1);
    return true;
}

bool Simulator::restartPedal() {
    return pid_ > 0 && ::kill(pid_, SIGUSR1) == 0;
}

bool Simulator::replug() {
    return pid_ > 0 && ::kill(pid_, SIGUSR2) == 0;
}

bool Simulator::heal() {
    return pid_ > 0 && ::kill(pid_, SIGHUP) == 0;
}

int Simulator::kill() {
    int status = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int raw = 0;
        const Clock::time_point deadline = Clock::now() + kTermWait;
        pid_t done = 0;
        while ((done = ::waitpid(pid_, &raw, WNOHANG)) == 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            done = ::waitpid(pid_, &raw, 0);
        }
        if (done == pid_) status = statusOf(raw);
        pid_ = -1;
    }
    if (output_ >= 0) ::close(output_);
    output_ = -1;
    return status;
}

}  // namespace harbrix::test
