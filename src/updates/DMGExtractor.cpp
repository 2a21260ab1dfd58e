// Mount records, attach-output parsing and the extraction sequence.
#include "updates/DMGExtractor.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>

#include "devices/QuickTask.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "updates/FileReplace.h"

namespace harbrix {
namespace fs = std::filesystem;
namespace {

std::string environment(const char* key) {
    const char* value = std::getenv(key);
    return value != nullptr ? value : "";
}

std::string regexEscaped(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

// A random version-4 UUID text, upper case as the system's temporary folder names have it.
std::string uuidString() {
    std::random_device device;
    std::mt19937_64 generator((static_cast<std::uint64_t>(device()) << 32) ^ device());
    std::uint8_t bytes[16];
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    bytes[6] = (bytes[6] & 0x0F) | 0x40;
    bytes[8] = (bytes[8] & 0x3F) | 0x80;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0xF]);
    }
    return text;
}

// The disk-image tool for one extraction. A tool that lives inside the folder being replaced
// (the bundle's own stand-in, when the running bundle is updated) goes with the old Contents,
// so that one is used from a private copy, made before attaching and removed at the end.
class ExtractionTool {
  public:
    ExtractionTool(const std::string& tool, const std::string& destination) : path_(tool) {
        const fs::path folder = fs::path(destination).lexically_normal();
        const fs::path relative = fs::path(tool).lexically_normal().lexically_relative(folder);
        if (tool.empty() || relative.empty() || *relative.begin() == "..") return;
        std::error_code error;
        const fs::path copy = fs::temp_directory_path(error) / ("harbrix-hdiutil-" + uuidString());
        if (error || !fs::create_directories(copy, error)) return;
        const fs::path copied = copy / fs::path(tool).filename();
        if (!fs::copy_file(tool, copied, error)) {
            fs::remove_all(copy, error);
            return;
        }
        copy_ = copy.string();
        path_ = copied.string();
    }
    ~ExtractionTool() {
        std::error_code error;
        if (!copy_.empty()) fs::remove_all(copy_, error);
    }
    ExtractionTool(const ExtractionTool&) = delete;
    ExtractionTool& operator=(const ExtractionTool&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string copy_;
};

}  // namespace

std::optional<MountInfo> MountInfo::infoWithDisk(const std::string& disk, const std::string& root) {
    if (disk.empty() || root.empty()) return std::nullopt;
    return MountInfo{disk, root};
}

std::string DMGExtractor::tool() {
    if (const std::string path = environment("HARBRIX_HDIUTIL"); !path.empty()) return path;
#ifdef __APPLE__
    return "/usr/bin/hdiutil";
#else
    return Bundle::pathForResource("hdiutil", "", "Scripts").value_or("");
#endif
}

std::string DMGExtractor::volumesRoot() {
#ifdef __APPLE__
    return "/Volumes";
#else
    if (const std::string root = environment("HARBRIX_VOLUMES"); !root.empty()) return root;
    if (const std::string runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty())
        return runtime + "/harbrix-volumes";
    return "/tmp/harbrix-volumes-" + std::to_string(::getuid());
#endif
}

std::optional<MountInfo> DMGExtractor::parseAttachOutput(const std::string& output,
                                                         const std::string& volumesRoot) {
    const std::regex line("^/dev/(disk[0-9]+s[0-9]+)\\s+Apple_HFS\\s+(" +
                          regexEscaped(volumesRoot) + "/.*)$");
    std::size_t start = 0;
    while (start <= output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::smatch match;
        const std::string text = output.substr(start, end - start);
        if (std::regex_match(text, match, line)) return MountInfo::infoWithDisk(match[1], match[2]);
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<MountInfo> DMGExtractor::mount(const std::string& image, std::string hdiutil) {
    if (image.empty()) return std::nullopt;
    if (hdiutil.empty()) hdiutil = tool();
    const auto output =
        QuickTask::outputOfTask(hdiutil, QuickTask::Arguments{"attach", image, "-nobrowse"});
    if (!output || output->empty()) return std::nullopt;
    return parseAttachOutput(*output, volumesRoot());
}

void DMGExtractor::eject(const std::string& disk, std::string hdiutil) {
    if (disk.empty()) return;
    if (hdiutil.empty()) hdiutil = tool();
    QuickTask::executeTask(hdiutil, QuickTask::Arguments{"detach", disk});
}

std::optional<std::string> DMGExtractor::extract(const std::string& item, const std::string& image,
                                                 const std::string& destination) {
    if (item.empty() || image.empty() || destination.empty()) return std::nullopt;
    const ExtractionTool extraction(tool(), destination);
    const std::string& hdiutil = extraction.path();
    if (hdiutil.empty()) {
        logLine("ERROR : no disk-image tool to attach the update with");
        return std::nullopt;
    }
    const auto mounted = mount(image, hdiutil);
    if (!mounted) return std::nullopt;
    const auto detach = [&] { eject(mounted->disk, hdiutil); };
    const std::string source = (fs::path(mounted->root) / item).string();
    if (source.empty() || !createDirectories(destination)) {
        detach();
        return std::nullopt;
    }
    fs::path last = fs::path(item).lexically_normal();
    if (last.filename().empty()) last = last.parent_path();
    const std::string target = (fs::path(destination) / last.filename()).string();
    std::string error;
    if (!replaceItemAtPath(target, source, &error)) {
        logFormat("ERROR : %s", error.c_str());
        detach();
        return std::nullopt;
    }
    detach();
    return target;
}

std::optional<std::string> DMGExtractor::extract(const std::string& item,
                                                 const std::string& image) {
    std::error_code error;
    fs::path temporary = fs::temp_directory_path(error);
    if (error) temporary = "/tmp";
    return extract(item, image, (temporary / uuidString()).string());
}

}  // namespace harbrix
