// Copy beside, rename the old aside, rename the copy in, remove the old.
#include "updates/FileReplace.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Log.h"

namespace harbrix {
namespace fs = std::filesystem;
namespace {

bool fail(std::string* error, const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
}

// A fresh unused name beside `path`: "path.<tag>.XXXXXX" (made as a folder, then removed,
// so that the name is ours).
std::string besideName(const fs::path& path, const std::string& tag) {
    std::string pattern = path.string() + "." + tag + ".XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    std::error_code ignored;
    fs::remove(pattern, ignored);
    return pattern;
}

// Without "." or ".." parts and without a trailing separator.
fs::path normal(const std::string& path) {
    fs::path result = fs::path(path).lexically_normal();
    if (result.has_relative_path() && result.filename().empty()) result = result.parent_path();
    return result;
}

}  // namespace

bool replaceItemAtPath(const std::string& target, const std::string& source, std::string* error) {
    if (target.empty() || source.empty() || target.front() != '/' || source.front() != '/')
        return fail(error, "both paths must be absolute");
    const fs::path targetPath = normal(target);
    const fs::path sourcePath = normal(source);
    if (!targetPath.has_relative_path()) return fail(error, "the target cannot be the root folder");
    std::error_code code;
    if (!fs::exists(fs::symlink_status(sourcePath, code)))
        return fail(error, "no item at " + sourcePath.string());

    const std::string fresh = besideName(targetPath, "new");
    if (fresh.empty()) return fail(error, "cannot write beside " + targetPath.string());
    fs::copy(sourcePath, fresh, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             code);
    if (code) {
        const std::string message = "copying " + sourcePath.string() + ": " + code.message();
        std::error_code ignored;
        fs::remove_all(fresh, ignored);
        return fail(error, message);
    }

    std::string old;
    if (fs::exists(fs::symlink_status(targetPath, code))) {
        old = besideName(targetPath, "old");
        if (!old.empty()) fs::rename(targetPath, old, code);
        if (old.empty() || code) {
            const std::string message =
                "moving " + targetPath.string() + " aside: " + code.message();
            std::error_code ignored;
            fs::remove_all(fresh, ignored);
            return fail(error, message);
        }
    }
    fs::rename(fresh, targetPath, code);
    if (code) {
        const std::string message = "moving the copy into place: " + code.message();
        std::error_code ignored;
        if (!old.empty()) fs::rename(old, targetPath, ignored);
        fs::remove_all(fresh, ignored);
        return fail(error, message);
    }
    if (!old.empty()) {
        // The new item is in place; a leftover old copy is only untidy.
        fs::remove_all(old, code);
        if (code) logFormat("could not remove %s: %s", old.c_str(), code.message().c_str());
    }
    return true;
}

bool packageManagerOwns(const std::string& path) {
    std::error_code failed;
    fs::path real = fs::weakly_canonical(fs::path(path), failed);
    if (failed) real = fs::path(path).lexically_normal();
    const auto within = [&real](const char* folder) {
        const fs::path base(folder);
        return std::mismatch(base.begin(), base.end(), real.begin(), real.end()).first ==
               base.end();
    };
    return real.is_absolute() && within("/usr") && !within("/usr/local");
}

}  // namespace harbrix
