#include "platform/RenameNoReplace.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>

namespace harbrix {

int renameNoReplace(const std::string& from, const std::string& to) {
    for (;;) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINTR) return errno;
    }
}

}  // namespace harbrix
