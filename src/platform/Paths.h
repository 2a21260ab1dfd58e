// Where the program keeps its files on this system. Derived from the environment each time,
// so tests can point them elsewhere.
#pragma once

#include <string>

namespace harbrix {

std::string homeDirectory();
// Where pedals' device nodes are looked for: "/dev", or HARBRIX_DEV_ROOT when set (the
// simulator puts its nodes in a folder of its own).
std::string deviceRootDirectory();
// Per-pedal cache files: the shared application-support folder on macOS,
// $XDG_CACHE_HOME/com.qor.wharvel/cache (default ~/.cache) on Linux.
std::string deviceCacheDirectory();
// Per-user application data: ~/Library/Application Support on macOS, $XDG_DATA_HOME
// (default ~/.local/share) on Linux.
std::string applicationSupportDirectory();
// Each pedal's journal of slot changes: com.qor.wharvel/journal in the application data.
std::string journalDirectory();
// Creates the folder and its parents; true when it exists afterwards.
bool createDirectories(const std::string& path);
bool fileExists(const std::string& path);
// Writes the whole content to a temporary file beside `path`, then renames it into place.
bool writeFileAtomically(const std::string& path, const std::string& content);
// Writes the whole content to the open file, finishing partial writes and retrying interrupted
// ones, and syncs it to disk; false (errno set) when any of it failed.
bool writeAndSync(int fd, const std::string& content);
// Gives the file at `from` the name `to` unless a file has that name already: 0 when renamed,
// EEXIST when the name is taken, another error number when it failed. Never replaces a file
// and needs no hard link: where the file system cannot refuse to replace in the rename
// itself, the name is first reserved with an exclusive create and the file renamed over its
// own reservation.
int renameToFreeName(const std::string& from, const std::string& to);

}  // namespace harbrix
