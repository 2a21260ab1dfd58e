// The file under a pedal's journal: lines appended and synced to disk, read back from where
// the last reading ended, and the whole file replaced when it is trimmed. Several processes
// share one file; each holds the lock (a separate lock file, which trimming never replaces)
// for the whole of every reading, append and replacement, so lines never interleave.
//
// The lock file also counts the replacements, so that a reader notices one even when the new
// file happens to get the old one's inode number.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace harbrix {

class JournalFile {
  public:
    // Lines longer than this are damaged whatever they hold.
    static constexpr std::size_t kLongestLine = 1 << 20;

    explicit JournalFile(std::string path);
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    const std::string& path() const { return path_; }

    // Holds the exclusive lock while it lives.
    class Lock {
      public:
        Lock(JournalFile& file, int fd) : file_(&file), fd_(fd) {}
        Lock(Lock&& other) noexcept : file_(other.file_), fd_(other.fd_) { other.fd_ = -1; }
        Lock& operator=(Lock&&) = delete;
        ~Lock();

      private:
        JournalFile* file_;
        int fd_;
    };
    // Waits for the lock; none when the folder or the lock file cannot be made.
    std::optional<Lock> lock();

    struct Reading {
        // The file is not the one read before (trimmed by another process, or removed):
        // everything known from it must be forgotten; `lines` starts from its beginning.
        bool restarted = false;
        std::vector<std::string> lines;  // complete lines, without line feeds
        std::size_t damaged = 0;         // over-long lines and a torn end, skipped
    };
    // What was added since the last reading. Call with the lock held: an unfinished last line
    // is then one whose writer was stopped, and is counted as damaged.
    Reading readNew();
    // Writes the lines, each with a line feed, in one write, and syncs them to disk. Call
    // with the lock held, after readNew; the next readNew returns them like anybody else's.
    bool append(const std::vector<std::string>& lines);
    // Replaces the file with these lines at once (written aside, synced, renamed into place);
    // they count as read. Call with the lock held.
    bool replace(const std::vector<std::string>& lines);
    // Bytes in the file as last read or written.
    std::uint64_t size() const { return offset_; }
    // Whether the file on disk is no longer the one last read or written (another process
    // added to it or replaced it). Needs no lock: one look at the file.
    bool changedOnDisk() const;
    // The error number of the last lock, append or replacement that failed.
    int error() const { return error_; }

  private:
    // The replacement count in the lock file, or 0 when it holds none.
    std::uint64_t readGeneration() const;

    std::string path_;
    int lockFd_ = -1;               // while locked
    std::uint64_t generation_ = 0;  // of the file last read
    std::uint64_t offset_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool torn_ = false;  // the file ends inside a line
    std::filesystem::file_time_type modified_{};
    int error_ = 0;
};

}  // namespace harbrix
