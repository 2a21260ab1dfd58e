// A rename that never replaces a file: the one step that gives a finished file its final name
// on every file system, FAT, exFAT and network shares included, which refuse hard links. Each
// system has its own file: Linux uses renameat2 with RENAME_NOREPLACE, macOS renamex_np with
// RENAME_EXCL.
#pragma once

#include <string>

namespace harbrix {

// Renames `from` to `to` unless something is at `to`: 0 when renamed, else the error number
// (EEXIST when the name is taken; EINVAL, ENOSYS or ENOTSUP where the file system cannot
// refuse to replace, and the caller must reserve the name another way).
int renameNoReplace(const std::string& from, const std::string& to);

}  // namespace harbrix
