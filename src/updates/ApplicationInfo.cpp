// Bundle information is read once from Contents/Info.plist of the bundle the program runs in.
#include "updates/ApplicationInfo.h"

#include <plist/plist.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

#ifdef __APPLE__
#include <sys/sysctl.h>
#endif

#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr const char* kDefaultIdentifier = "com.qor.wharvel";

const std::map<std::string, std::string>& bundleInfo() {
    static const std::map<std::string, std::string> info = [] {
        const auto bundle = Bundle::bundlePath();
        return bundle ? ApplicationInfo::readInfo(*bundle + "/Contents/Info.plist")
                      : std::map<std::string, std::string>{};
    }();
    return info;
}

std::optional<std::string> infoValue(const std::string& key) {
    const auto& info = bundleInfo();
    const auto found = info.find(key);
    if (found == info.end()) return std::nullopt;
    return found->second;
}

struct Slots {
    std::mutex mutex;
    std::shared_ptr<Stinger> stinger;
    std::function<void()> bounce;
};

Slots& slots() {
    static Slots s;
    return s;
}

}  // namespace

std::optional<std::string> ApplicationInfo::name() {
    return infoValue("CFBundleName");
}

std::optional<Version> ApplicationInfo::version() {
    const auto text = infoValue("CFBundleShortVersionString");
    if (!text) return std::nullopt;
    return Version::versionWithString(*text);
}

std::optional<std::string> ApplicationInfo::versionText() {
    const auto text = infoValue("CFBundleShortVersionString");
    if (!text || text->empty()) return std::nullopt;
    return text;
}

std::string ApplicationInfo::bundleIdentifier() {
    const auto identifier = infoValue("CFBundleIdentifier");
    return identifier && !identifier->empty() ? *identifier : kDefaultIdentifier;
}

bool ApplicationInfo::staging() {
    static const bool answer = fileExists(homeDirectory() + "/Desktop/Harbrix.staging");
    return answer;
}

std::shared_ptr<Stinger> ApplicationInfo::stinger() {
    std::lock_guard lock(slots().mutex);
    return slots().stinger;
}

void ApplicationInfo::setStinger(std::shared_ptr<Stinger> stinger) {
    std::lock_guard lock(slots().mutex);
    slots().stinger = std::move(stinger);
}

void ApplicationInfo::bounce() {
    std::function<void()> handler;
    {
        std::lock_guard lock(slots().mutex);
        handler = slots().bounce;
    }
    if (handler) handler();
}

void ApplicationInfo::setBounceHandler(std::function<void()> handler) {
    std::lock_guard lock(slots().mutex);
    slots().bounce = std::move(handler);
}

std::optional<Version> ApplicationInfo::systemVersion() {
#ifdef __APPLE__
    char text[64] = {};
    std::size_t size = sizeof text - 1;
    if (sysctlbyname("kern.osproductversion", text, &size, nullptr, 0) != 0) return std::nullopt;
    return Version::versionWithString(std::string(text, strnlen(text, sizeof text)));
#else
    utsname names{};
    if (uname(&names) != 0) return std::nullopt;
    return Version::versionWithString(names.release);
#endif
}

std::map<std::string, std::string> ApplicationInfo::readInfo(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path, std::ios::binary);
    if (!in) return values;
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (content.empty() || content.size() > UINT32_MAX) return values;
    plist_t root = nullptr;
    plist_from_memory(content.data(), static_cast<std::uint32_t>(content.size()), &root);
    if (root == nullptr) return values;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(root, &iterator);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(root, iterator, &key, &item);
            if (key == nullptr) break;
            if (item != nullptr && plist_get_node_type(item) == PLIST_STRING) {
                std::uint64_t length = 0;
                const char* text = plist_get_string_ptr(item, &length);
                if (text != nullptr) values[key] = std::string(text, length);
            }
            free(key);
        }
        free(iterator);
    }
    plist_free(root);
    return values;
}

}  // namespace harbrix
