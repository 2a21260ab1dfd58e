// The USB inventory read from sysfs and laid out as the system profiler lays it out, so that
// one walk serves every system. sysfs names a device after its place in the tree: "usb1" is
// bus 1's root hub, "1-3" the device on its port 3, "1-3.2" the one on port 2 of the hub at
// "1-3"; names with a colon are interfaces and are left out.
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "devices/UsbInventory.h"

namespace harbrix::UsbInventory {
namespace {

namespace fs = std::filesystem;

// Attribute files become the report's keys.
constexpr struct {
    const char* file;
    const char* key;
    const char* prefix;
} kAttributes[] = {
    {"product", "_name", ""},          {"manufacturer", "manufacturer", ""},
    {"serial", "serial_num", ""},      {"idVendor", "vendor_id", "0x"},
    {"idProduct", "product_id", "0x"},
};

// Attribute files are small; a longer one is not an attribute we want.
constexpr std::streamsize kMaxAttribute = 4096;

std::string readAttribute(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::string value(kMaxAttribute, '\0');
    file.read(value.data(), kMaxAttribute);
    value.resize(static_cast<std::size_t>(file.gcount()));
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ' || value.back() == '\0'))
        value.pop_back();
    return value;
}

nlohmann::json record(const fs::path& device) {
    nlohmann::json entry = nlohmann::json::object();
    for (const auto& attribute : kAttributes) {
        const std::string value = readAttribute(device / attribute.file);
        if (!value.empty()) entry[attribute.key] = attribute.prefix + value;
    }
    return entry;
}

// "1-3.2" -> "1-3", "1-3" -> "usb1"; none for a root hub or a name of another form.
std::optional<std::string> parentName(const std::string& name) {
    if (const auto dot = name.rfind('.'); dot != std::string::npos) return name.substr(0, dot);
    const auto dash = name.find('-');
    if (dash == std::string::npos || dash == 0) return std::nullopt;
    return "usb" + name.substr(0, dash);
}

nlohmann::json nest(const std::string& name, std::map<std::string, nlohmann::json>& records,
                    const std::map<std::string, std::vector<std::string>>& children) {
    nlohmann::json entry = std::move(records[name]);
    if (const auto found = children.find(name); found != children.end()) {
        nlohmann::json items = nlohmann::json::array();
        for (const std::string& child : found->second)
            items.push_back(nest(child, records, children));
        entry["_items"] = std::move(items);
    }
    return entry;
}

}  // namespace

std::optional<std::string> sysfsText(const std::string& root) {
    std::error_code error;
    fs::directory_iterator it(root, error);
    if (error) return std::nullopt;
    std::map<std::string, nlohmann::json> records;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (name.find(':') != std::string::npos || !it->is_directory(kind)) continue;
        records[name] = record(it->path());
    }
    // Children in name order under the parent that is there; the rest at the top.
    std::map<std::string, std::vector<std::string>> children;
    std::vector<std::string> top;
    for (const auto& [name, entry] : records) {
        (void)entry;
        const auto parent = parentName(name);
        if (parent && records.count(*parent) != 0)
            children[*parent].push_back(name);
        else
            top.push_back(name);
    }
    nlohmann::json buses = nlohmann::json::array();
    for (const std::string& name : top) buses.push_back(nest(name, records, children));
    return nlohmann::json{{"SPUSBDataType", std::move(buses)}}.dump();
}

}  // namespace harbrix::UsbInventory
