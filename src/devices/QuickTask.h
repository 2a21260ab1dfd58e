// Synchronous runner for external programs (the USB inventory tool, the kernel-extension
// finder, the installer, disk-image tools) and the child-side reader of what a parent fed in.
// Depends only on the standard library, POSIX and the log writer, because the installer
// program builds its own copy of it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Bytes.h"

namespace harbrix {

class QuickTask {
  public:
    using Arguments = std::vector<std::string>;
    using Environment = std::map<std::string, std::string>;

    QuickTask() = delete;

    // Runs `path` with `arguments` (after the program name) and returns its termination
    // status: the exit code, or the signal number for a child killed by a signal; 1 for any
    // failure before the child ran (also a program that cannot be executed). `input`, when
    // given, is fed to the child's standard input and the child finds "QuickTask.STDIN"="YES"
    // in its environment; otherwise it inherits the runner's environment unchanged and reads
    // the null device. `environment` is accepted for callers' convenience and has no effect.
    // `launchedFrom` becomes the child's working directory. The child's standard output and
    // error go to the null device. Every step is logged ("statusOfTask: ... :: N").
    static int statusOfTask(const std::optional<std::string>& path,
                            const std::optional<Arguments>& arguments = std::nullopt,
                            const std::optional<std::string>& input = std::nullopt,
                            const std::optional<Environment>& environment = std::nullopt,
                            const std::optional<std::string>& launchedFrom = std::nullopt);
    // True exactly when `statusOfTask` gives 0.
    static bool executeTask(const std::optional<std::string>& path,
                            const std::optional<Arguments>& arguments = std::nullopt,
                            const std::optional<std::string>& input = std::nullopt,
                            const std::optional<Environment>& environment = std::nullopt,
                            const std::optional<std::string>& launchedFrom = std::nullopt);
    // The child's standard output as UTF-8 text, with white space and line breaks cut at both
    // ends when `trimmed`. None on any failure, a non-zero status, or output that is not UTF-8.
    // Input and environment as for `statusOfTask`; the child runs in the runner's directory.
    static std::optional<std::string> outputOfTask(
        const std::optional<std::string>& path,
        const std::optional<Arguments>& arguments = std::nullopt,
        const std::optional<std::string>& input = std::nullopt, bool trimmed = true);
    // The first match of `pattern` (ECMAScript) in the child's output whose last capture group
    // (the whole match without groups) is not in `reject`; the child is terminated as soon as
    // it is found. None when the child's output ends without such a match, when the pattern
    // does not compile or is empty, or when the output is not UTF-8.
    static std::optional<std::string> outputOfTaskSearchingForPattern(
        const std::optional<std::string>& path, const std::optional<Arguments>& arguments,
        const std::string& pattern,
        const std::optional<std::set<std::string>>& reject = std::nullopt);

    // Child side: everything on standard input up to end of file, but only when the parent
    // marked the environment with "QuickTask.STDIN"; none otherwise or on a read error.
    static std::optional<Bytes> input();
    // `input` as text; none unless it is non-empty UTF-8.
    static std::optional<std::string> stringInput();
};

}  // namespace harbrix
