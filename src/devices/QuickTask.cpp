// The runner's calls as the callers know them, and the child's side of what a parent fed in.
// The child itself is started and talked with in ChildProcess, its output read as text in
// TaskOutput; all three run from several work queues at once.
#include "devices/QuickTask.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <regex>
#include <string_view>

#include "devices/ChildProcess.h"
#include "devices/TaskOutput.h"
#include "platform/Log.h"

extern char** environ;

namespace harbrix {
namespace {

using namespace task;

constexpr const char* kInputMarker = "QuickTask.STDIN";

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
