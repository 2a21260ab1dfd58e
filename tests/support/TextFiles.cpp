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

std::size_t occurrences(const std::string& path, const std::string& part) {
    if (part.empty()) return 0;
    const std::string text = readText(path);
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace harbrix::test
