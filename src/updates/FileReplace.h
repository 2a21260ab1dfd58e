// Replacing a file or folder by a copy of another, keeping the old one until the copy is
// complete: a failed copy leaves the target as it was.
#pragma once

#include <string>

namespace harbrix {

// Both paths must be absolute. The source is copied (recursively, symbolic links as links)
// beside the target, then swapped in; the old target is removed last. A missing target is
// simply created. False with `error` set when anything fails; the target is then unchanged.
bool replaceItemAtPath(const std::string& target, const std::string& source,
                       std::string* error = nullptr);

// Whether the system's package manager owns the item: it lies (links resolved) in /usr,
// outside /usr/local. Nothing else may replace it, not even root, or the package manager's
// record of its files would no longer match them.
bool packageManagerOwns(const std::string& path);

}  // namespace harbrix
