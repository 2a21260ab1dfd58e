// Reading and writing preset files.
#include "devices/PresetFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "link/ByteText.h"
#include "link/Model.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr std::size_t kMinimumFileSize = kPresetFilePrefixSize + Preset::kSize;
constexpr int kMaxSuffix = 10000;

void appendWord(Bytes& bytes, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(word >> shift));
}

std::string hexWord(std::uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", word);
    return text;
}

PresetFileRead refused(std::string why) {
    return PresetFileRead{nullptr, std::move(why)};
}

// The whole content of a regular file no larger than the limit.
std::optional<Bytes> readWhole(const std::string& path, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = "cannot be read";
        return std::nullopt;
    }
    struct stat info {};
    std::optional<Bytes> content;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "is not a file";
    } else if (static_cast<std::size_t>(info.st_size) > kPresetFileMaxSize) {
        why = "is far too large to be a preset file";
    } else {
        Bytes bytes(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        // A file that shrank while we read it is read as it now is.
        bytes.resize(got);
        content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

}  // namespace

std::optional<Bytes> presetFileBytes(const Bytes& body, const Model* model) {
    if (model == nullptr) return std::nullopt;
    return presetFileBytes(body, model->name());
}

std::optional<Bytes> presetFileBytes(const Bytes& body, const std::string& modelName) {
    if (body.empty() || Model::productOf(modelName) == 0) return std::nullopt;
    Bytes bytes;
    bytes.reserve(kPresetFilePrefixSize + body.size());
    appendWord(bytes, kPedalVendorId);
    appendWord(bytes, Model::productOf(modelName));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

PresetFileRead parsePresetFile(const Bytes& bytes, const Model* model) {
    if (model == nullptr) return refused("cannot be checked without a pedal model");
    return parsePresetFile(bytes, model->name());
}

PresetFileRead parsePresetFile(const Bytes& bytes, const std::string& modelName) {
    if (bytes.size() < kMinimumFileSize) {
        return refused("is " + std::to_string(bytes.size()) +
                       " bytes long; a preset file holds at least " +
                       std::to_string(kMinimumFileSize));
    }
    const std::uint32_t vendor = unsignedIntAtIndex(bytes, 0);
    const std::uint32_t product = unsignedIntAtIndex(bytes, 4);
    if (vendor != kPedalVendorId) {
        return refused("was not made for this maker's pedals (vendor " + hexWord(vendor) + ")");
    }
    if (product != Model::productOf(modelName)) {
        return refused("was made for another model (product " + hexWord(product) + "), not a " +
                       modelName);
    }
    const Bytes body(bytes.begin() + kPresetFilePrefixSize, bytes.end());
    return PresetFileRead{Preset::presetWithSerialized(body), {}};
}

PresetFileRead readPresetFile(const std::string& path, const Model* model) {
    std::string why;
    const auto bytes = readWhole(path, why);
    if (!bytes) return refused(why);
    return parsePresetFile(*bytes, model);
}

PresetFileRead readPresetFileOfAnyModel(const std::string& path, std::string& modelName) {
    std::string why;
    const auto bytes = readWhole(path, why);
    if (!bytes) return refused(why);
    modelName.clear();
    if (bytes->size() >= kPresetFilePrefixSize) {
        for (const char* name : {"MIV3", "NAX3"})
            if (unsignedIntAtIndex(*bytes, 4) == Model::productOf(name)) modelName = name;
    }
    if (modelName.empty()) modelName = "MIV3";  // the refusal then names what the file is
    return parsePresetFile(*bytes, modelName);
}

std::string presetFileBasename(const std::string& presetName) {
    std::string name = displayedPresetName(presetName);
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '-';
    }
    if (name == "." || name == "..") name.assign(name.size(), '-');
    return name;
}

bool writePresetFile(const std::string& path, const Bytes& fileBytes) {
    return writeFileAtomically(path, std::string(fileBytes.begin(), fileBytes.end()));
}

std::optional<std::string> writePresetFileInFolder(const std::string& folder,
                                                   const std::string& basename,
                                                   const Bytes& fileBytes) {
    if (folder.empty() || basename.empty()) return std::nullopt;
    // The bytes go to a hidden file in the folder first, which then takes the first free
    // name. No hard link: USB sticks and network shares refuse them.
    std::string temporary = folder + "/.preset-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return std::nullopt;
    const bool complete = writeAndSync(fd, std::string(fileBytes.begin(), fileBytes.end()));
    int error = errno;
    ::fchmod(fd, 0644);
    ::close(fd);
    std::optional<std::string> path;
    for (int suffix = 1; complete && suffix <= kMaxSuffix; ++suffix) {
        const std::string candidate = folder + "/" + basename +
                                      (suffix == 1 ? "" : "-" + std::to_string(suffix)) + "." +
                                      kPresetFileExtension;
        error = renameToFreeName(temporary, candidate);
        if (error == 0) {
            path = candidate;
            break;
        }
        if (error != EEXIST) break;
    }
    if (!path) ::unlink(temporary.c_str());
    errno = error;
    return path;
}

}  // namespace harbrix
