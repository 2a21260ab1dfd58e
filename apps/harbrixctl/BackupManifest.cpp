#include "BackupManifest.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "platform/Paths.h"

namespace harbrix::ctl {
namespace {

using nlohmann::json;

constexpr std::size_t kUserSlots = 100;

// A file name that stays inside the folder.
bool plainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<BackupManifest> parse(const json& doc, std::string& why) {
    if (!doc.is_object() || !doc.contains("model") || !doc["model"].is_string() ||
        !doc.contains("presets") || !doc["presets"].is_array()) {
        why = "is not a backup manifest";
        return std::nullopt;
    }
    BackupManifest manifest;
    manifest.model = doc["model"].get<std::string>();
    std::set<std::size_t> seen;
    for (const json& entry : doc["presets"]) {
        if (!entry.is_object() || !entry.contains("slot") || !entry.contains("file") ||
            !entry["slot"].is_number_unsigned() || !entry["file"].is_string()) {
            why = "has an entry without a slot and a file";
            return std::nullopt;
        }
        const auto slot = entry["slot"].get<std::uint64_t>();
        const auto file = entry["file"].get<std::string>();
        if (slot < 1 || slot > kUserSlots) {
            why = "names slot " + std::to_string(slot) + ", outside 1-100";
            return std::nullopt;
        }
        if (!seen.insert(slot).second) {
            why = "names slot " + std::to_string(slot) + " twice";
            return std::nullopt;
        }
        if (!plainName(file)) {
            why = "names a file outside its folder (\"" + file + "\")";
            return std::nullopt;
        }
        manifest.entries.push_back({static_cast<std::size_t>(slot - 1), file});
    }
    return manifest;
}

}  // namespace

bool writeManifest(const std::string& folder, const BackupManifest& manifest) {
    json presets = json::array();
    for (const BackupEntry& entry : manifest.entries)
        presets.push_back({{"slot", entry.slot + 1}, {"file", entry.file}});
    const json doc{{"model", manifest.model}, {"presets", presets}};
    // Names come from the pedal: anything not UTF-8 is replaced rather than refused.
    return writeFileAtomically(folder + "/" + kManifestName,
                               doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
}

std::optional<BackupManifest> readManifest(const std::string& folder, std::string& why) {
    std::ifstream in(folder + "/" + kManifestName);
    if (!in) {
        why = "holds no " + std::string(kManifestName);
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    const json doc = json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded()) {
        why = "has a " + std::string(kManifestName) + " that is not JSON";
        return std::nullopt;
    }
    try {
        auto manifest = parse(doc, why);
        if (!manifest) why = kManifestName + std::string(" ") + why;
        return manifest;
    } catch (const json::exception& e) {
        why = kManifestName + std::string(" cannot be read: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace harbrix::ctl
