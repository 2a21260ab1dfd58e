#include "devices/Metas.h"

#include <dirent.h>

#include <memory>

#include "devices/NodeNames.h"
#include "devices/UsbInventory.h"
#include "link/NumberText.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr const char* kReportKey = "SPUSBDataType";
constexpr const char* kManufacturer = "QOR";

std::string text(const nlohmann::json& record, const char* key) {
    const auto it = record.find(key);
    return it != record.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// "0x3a4d", "3A4D" or "0x05ac  (Apple Inc.)": hexadecimal up to the first other character;
// the low 16 bits count. 0 when there is no number.
std::uint16_t hexIdentifier(const nlohmann::json& record, const char* key) {
    const auto number = numberWithHexString(text(record, key));
    return static_cast<std::uint16_t>(number.value_or(0) & 0xFFFF);
}

bool emptyNode(const nlohmann::json& node) {
    return node.is_null() ||
           ((node.is_array() || node.is_object() || node.is_string()) && node.empty());
}

// A record found later replaces an earlier one with the same serial number. False for a
// node that is neither an array nor a dictionary.
bool walk(const nlohmann::json& node, Metas::Records& accumulator) {
    if (node.is_array()) {
        for (const auto& element : node) walk(element, accumulator);
        return true;
    }
    if (!node.is_object()) return false;
    const std::string manufacturer = text(node, "manufacturer");
    const std::string serial = text(node, "serial_num");
    if (!manufacturer.empty() && !serial.empty() && manufacturer == kManufacturer) {
        accumulator[serial] = node;
        return true;
    }
    for (const auto& value : node) walk(value, accumulator);
    return true;
}

}  // namespace

std::optional<Metas::Paths> Metas::paths(const std::string& root) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(root.c_str()), ::closedir);
    if (!folder) return std::nullopt;
    Paths paths;
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (const auto serial = serialFromNodeName(name)) paths[*serial] = root + "/" + name;
    }
    return paths;
}

std::optional<Metas::Records> Metas::unfiltered(const std::optional<std::string>& inventory) {
    if (!inventory || inventory->empty()) return std::nullopt;
    const auto document = nlohmann::json::parse(*inventory, nullptr, false);
    if (!document.is_object()) return std::nullopt;
    const auto report = document.find(kReportKey);
    if (report == document.end() || emptyNode(*report)) return std::nullopt;
    return unfiltered(*report, Records{});
}

std::optional<Metas::Records> Metas::unfiltered(const nlohmann::json& node, Records accumulator) {
    if (!walk(node, accumulator)) return std::nullopt;
    return accumulator;
}

std::optional<Metas> Metas::join(const std::optional<Paths>& paths,
                                 const std::optional<Records>& records) {
    if (!paths || !records) return std::nullopt;
    Metas metas;
    for (const auto& [serial, record] : *records) {
        const auto path = paths->find(serial);
        if (emptyNode(record) || path == paths->end()) continue;
        auto meta = Meta::metaWithName(text(record, "_name"), hexIdentifier(record, "vendor_id"),
                                       hexIdentifier(record, "product_id"), serial, path->second);
        if (!meta) continue;
        metas.core_.emplace(serial, std::move(*meta));
    }
    return metas;
}

std::optional<Metas> Metas::metas() {
    const auto nodes = paths(deviceRootDirectory());
    if (!nodes) return std::nullopt;
    return join(nodes, unfiltered(UsbInventory::text()));
}

const Meta* Metas::operator[](const std::string& serial) const {
    if (serial.empty()) return nullptr;
    const auto it = core_.find(serial);
    return it == core_.end() ? nullptr : &it->second;
}

std::string Metas::description() const {
    std::string text;
    for (const Meta& meta : *this) text += meta.description() + "\n";
    return text;
}

}  // namespace harbrix
