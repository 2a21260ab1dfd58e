// prepare: _.json -> _.manifest; verify: compare the two; rebuild: _.manifest -> rebuild.json.
#include "updates/ManifestTool.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/Bytes.h"
#include "platform/Paths.h"
#include "updates/Torque.h"

namespace harbrix {
namespace {

constexpr const char* kPlain = "_.json";
constexpr const char* kManifest = "_.manifest";
constexpr const char* kRebuilt = "rebuild.json";

// The whole file; none when it is missing, unreadable or empty.
std::optional<Bytes> readNonEmpty(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || content.empty()) return std::nullopt;
    return content;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    return writeFileAtomically(path, std::string(bytes.begin(), bytes.end()));
}

int prepare(const std::string& directory) {
    const auto plain = readNonEmpty(directory + "/" + kPlain);
    if (!plain) return 1;
    const auto manifest = Torque::up(*plain);
    if (!manifest || !writeBytes(directory + "/" + kManifest, *manifest)) return 1;
    return 0;
}

int verify(const std::string& directory) {
    const auto manifest = readNonEmpty(directory + "/" + kManifest);
    const auto plain = readNonEmpty(directory + "/" + kPlain);
    const auto deciphered = manifest ? Torque::down(*manifest) : std::nullopt;
    const bool equal = plain && deciphered && *deciphered == *plain;
    std::puts(equal ? "==" : "!=");
    std::fflush(stdout);
    return equal ? 0 : 1;
}

int rebuild(const std::string& directory) {
    const auto manifest = readNonEmpty(directory + "/" + kManifest);
    if (!manifest) return 1;
    const auto plain = Torque::down(*manifest);
    if (!plain || !writeBytes(directory + "/" + kRebuilt, *plain)) return 1;
    return 0;
}

}  // namespace

bool ManifestTool::wants(int argc, const char* const* argv) {
    if (argc != 2 || argv == nullptr || argv[1] == nullptr) return false;
    const std::string word = argv[1];
    return word == "prepare" || word == "verify" || word == "rebuild";
}

int ManifestTool::run(const std::string& word, const std::string& directory) {
    if (word == "prepare") return prepare(directory);
    if (word == "verify") return verify(directory);
    if (word == "rebuild") return rebuild(directory);
    return 1;
}

}  // namespace harbrix
