// mkdtemp-based temporary folders.
#include "support/TempDir.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace harbrix::test {

TempDir::TempDir(const std::string& prefix) {
    const char* root = std::getenv("HARBRIX_TEST_TMP");
    const std::string base = root != nullptr && *root != '\0' ? root : "/tmp";
    std::error_code ec;
    std::filesystem::create_directories(base, ec);
    std::string pattern = base + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const {
    return path_ + "/" + name;
}

}  // namespace harbrix::test
