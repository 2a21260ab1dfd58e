#include "platform/RenameNoReplace.h"

#include <stdio.h>

#include <cerrno>

namespace harbrix {

int renameNoReplace(const std::string& from, const std::string& to) {
    for (;;) {
        if (::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

}  // namespace harbrix
