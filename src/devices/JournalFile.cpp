#include "devices/JournalFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr mode_t kPrivate = 0600;

std::filesystem::file_time_type modifiedTime(const std::string& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    return error ? std::filesystem::file_time_type{} : time;
}

int openRetrying(const std::string& path, int flags, mode_t mode = kPrivate) {
    for (;;) {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

// A renamed file survives a crash only once its folder is synced too.
void syncFolder(const std::string& path) {
    const auto folder = std::filesystem::path(path).parent_path().string();
    const int fd = openRetrying(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

JournalFile::JournalFile(std::string path) : path_(std::move(path)) {}

JournalFile::Lock::~Lock() {
    if (fd_ < 0) return;
    file_->lockFd_ = -1;
    ::close(fd_);  // closing drops the lock
}

std::uint64_t JournalFile::readGeneration() const {
    std::uint8_t bytes[8] = {};
    if (lockFd_ < 0 || ::pread(lockFd_, bytes, sizeof bytes, 0) != sizeof bytes) return 0;
    std::uint64_t generation = 0;
    for (int i = 7; i >= 0; --i) generation = generation << 8 | bytes[i];
    return generation;
}

std::optional<JournalFile::Lock> JournalFile::lock() {
    const auto folder = std::filesystem::path(path_).parent_path().string();
    if (!folder.empty()) {
        std::error_code made;
        std::filesystem::create_directories(folder, made);
        std::error_code looked;
        if (!std::filesystem::is_directory(folder, looked)) {
            // A plain file where the folder should be says "file exists", which misleads.
            error_ = !made || made.value() == EEXIST ? ENOTDIR : made.value();
            return std::nullopt;
        }
    }
    const int fd = openRetrying(path_ + ".lock", O_RDWR | O_CREAT);
    if (fd < 0) {
        error_ = errno;
        return std::nullopt;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = errno;
            ::close(fd);
            return std::nullopt;
        }
    }
    lockFd_ = fd;
    return Lock(*this, fd);
}

JournalFile::Reading JournalFile::readNew() {
    Reading reading;
    const int fd = openRetrying(path_, O_RDONLY);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) ::close(fd);
        reading.restarted = offset_ != 0 || inode_ != 0;
        offset_ = 0;
        device_ = 0;
        inode_ = 0;
        torn_ = false;
        modified_ = {};
        return reading;
    }
    modified_ = modifiedTime(path_);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const std::uint64_t generation = readGeneration();
    if (info.st_dev != device_ || info.st_ino != inode_ || size < offset_ ||
        generation != generation_) {
        generation_ = generation;
        reading.restarted = offset_ != 0 || inode_ != 0;
        offset_ = 0;
        torn_ = false;
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    // A line is read normally, or skipped to its end: because it grew too long, or because
    // it is the rest of a cut-off line the last reading already counted.
    enum class State { reading, overlong, rest };
    State state = torn_ ? State::rest : State::reading;
    std::string line;
    std::uint64_t position = offset_;
    std::string chunk(kChunk, '\0');
    while (position < size) {
        const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(position));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = chunk[static_cast<std::size_t>(i)];
            if (c == '\n') {
                if (state == State::overlong) ++reading.damaged;
                if (state == State::reading) reading.lines.push_back(std::move(line));
                line.clear();
                state = State::reading;
            } else if (state == State::reading) {
                line.push_back(c);
                if (line.size() > kLongestLine) {
                    state = State::overlong;
                    line.clear();
                }
            }
        }
        position += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    // Nobody writes without the lock, so a line still open at the end was cut off.
    if (position != offset_) {
        if (state == State::overlong || !line.empty()) ++reading.damaged;
        torn_ = state != State::reading || !line.empty();
        offset_ = position;
    }
    return reading;
}

bool JournalFile::append(const std::vector<std::string>& lines) {
    std::string text = torn_ ? "\n" : "";  // ends the cut-off line, so ours stay whole
    for (const std::string& line : lines) text += line + '\n';
    const int fd = openRetrying(path_, O_WRONLY | O_CREAT | O_APPEND);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    struct stat info {};
    const bool fresh = ::fstat(fd, &info) == 0 && info.st_size == 0;
    const bool written = writeAndSync(fd, text);
    if (!written) error_ = errno;
    ::close(fd);
    if (fresh) syncFolder(path_);
    // The next reading takes these lines in like anybody else's.
    return written;
}

bool JournalFile::replace(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    const std::string temporary = path_ + ".new";
    const int fd = openRetrying(temporary, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    const bool written = writeAndSync(fd, text);
    if (!written) error_ = errno;
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    ::close(fd);
    // Counted before the rename: a count without a replacement only costs a full reading.
    const std::uint64_t generation = readGeneration() + 1;
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(generation >> (8 * i));
    const bool counted = lockFd_ >= 0 && ::pwrite(lockFd_, bytes, sizeof bytes, 0) == sizeof bytes;
    if (!written || !known || !counted || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    generation_ = generation;
    syncFolder(path_);
    offset_ = text.size();
    device_ = info.st_dev;
    inode_ = info.st_ino;
    torn_ = false;
    modified_ = modifiedTime(path_);
    return true;
}

bool JournalFile::changedOnDisk() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return inode_ != 0;
    return info.st_dev != device_ || info.st_ino != inode_ ||
           static_cast<std::uint64_t>(info.st_size) != offset_ || modifiedTime(path_) != modified_;
}

}  // namespace harbrix
