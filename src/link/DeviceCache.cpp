#include "link/DeviceCache.h"

#include <plist/plist.h>

#include <fstream>
#include <iterator>

#include "platform/Paths.h"

namespace harbrix {
namespace {

// Cache files hold one small map; anything larger is not ours.
constexpr std::size_t kMaximumFileSize = 1 << 20;

}  // namespace

DeviceCache::DeviceCache() : dictionary_(plist_new_dict()) {}

DeviceCache::~DeviceCache() {
    plist_free(static_cast<plist_t>(dictionary_));
}

DeviceCache::DeviceCache(const DeviceCache& other)
    : dictionary_(plist_copy(static_cast<plist_t>(other.dictionary_))) {}

DeviceCache& DeviceCache::operator=(const DeviceCache& other) {
    if (this != &other) {
        plist_free(static_cast<plist_t>(dictionary_));
        dictionary_ = plist_copy(static_cast<plist_t>(other.dictionary_));
    }
    return *this;
}

std::optional<DeviceCache> DeviceCache::load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string content;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (content.empty() || content.size() > kMaximumFileSize) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(content.data(), static_cast<uint32_t>(content.size()), &root);
    if (root == nullptr) return std::nullopt;
    if (plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return std::nullopt;
    }
    DeviceCache cache;
    plist_free(static_cast<plist_t>(cache.dictionary_));
    cache.dictionary_ = root;
    return cache;
}

bool DeviceCache::save(const std::string& path) const {
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(dictionary_), &xml, &length);
    if (xml == nullptr) return false;
    const std::string content(xml, length);
    plist_to_xml_free(xml);
    return writeFileAtomically(path, content);
}

std::optional<std::uint64_t> DeviceCache::unsignedValue(const std::string& key) const {
    plist_t node = plist_dict_get_item(static_cast<plist_t>(dictionary_), key.c_str());
    if (node == nullptr || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return value;
}

void DeviceCache::setUnsignedValue(const std::string& key, std::uint64_t value) {
    plist_dict_set_item(static_cast<plist_t>(dictionary_), key.c_str(), plist_new_uint(value));
}

std::string DeviceCache::pathForSerial(const std::string& serial) {
    return deviceCacheDirectory() + "/" + serial + ".plist";
}

}  // namespace harbrix
