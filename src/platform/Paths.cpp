#include "platform/Paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/RenameNoReplace.h"

namespace harbrix {

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/tmp";
}

std::string deviceRootDirectory() {
    const char* root = std::getenv("HARBRIX_DEV_ROOT");
    return root != nullptr && *root != '\0' ? root : "/dev";
}

std::string deviceCacheDirectory() {
#ifdef __APPLE__
    return "/Users/Shared/Library/Application Support/com.qor.wharvel/cache";
#else
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const std::string base = (xdg != nullptr && *xdg == '/') ? xdg : homeDirectory() + "/.cache";
    return base + "/com.qor.wharvel/cache";
#endif
}

std::string applicationSupportDirectory() {
#ifdef __APPLE__
    return homeDirectory() + "/Library/Application Support";
#else
    const char* xdg = std::getenv("XDG_DATA_HOME");
    return (xdg != nullptr && *xdg == '/') ? xdg : homeDirectory() + "/.local/share";
#endif
}

std::string journalDirectory() {
    return applicationSupportDirectory() + "/com.qor.wharvel/journal";
}

bool createDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool complete = writeAndSync(fd, content);
    ::fchmod(fd, 0644);
    ::close(fd);
    if (!complete || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool writeAndSync(int fd, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

int renameToFreeName(const std::string& from, const std::string& to) {
    const int renamed = renameNoReplace(from, to);
    if (renamed != EINVAL && renamed != ENOSYS && renamed != ENOTSUP && renamed != EOPNOTSUPP)
        return renamed;
    int fd = -1;
    do {
        fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) == 0) return 0;
    const int error = errno;
    ::unlink(to.c_str());
    return error;
}

}  // namespace harbrix
