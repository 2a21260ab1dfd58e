#include "support/TextFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace harbrix::test {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& content) {
    const auto parent = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace harbrix::test
