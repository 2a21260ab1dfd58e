// Manifest decoding with nlohmann::json, without exceptions crossing out.
#include "updates/UpdateEntry.h"

#include <nlohmann/json.hpp>

#include "updates/Torque.h"

namespace harbrix {
namespace {

using Json = nlohmann::json;

std::string textField(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return {};
    return found->get<std::string>();
}

std::int64_t sizeField(const Json& object) {
    const auto found = object.find("size");
    if (found == object.end()) return 0;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        return value > static_cast<std::uint64_t>(INT64_MAX) ? 0 : static_cast<std::int64_t>(value);
    }
    if (found->is_number_integer()) return found->get<std::int64_t>();
    return 0;
}

UpdateEntry entryFrom(const Json& element) {
    UpdateEntry entry;
    if (!element.is_object() || element.empty()) return entry;
    entry.empty = false;
    entry.name = textField(element, "name");
    entry.hash = textField(element, "hash");
    entry.size = sizeField(element);
    entry.version = textField(element, "version");
    entry.baseline = textField(element, "baseline");
    if (const auto changes = element.find("changes");
        changes != element.end() && changes->is_array())
        for (const Json& line : *changes)
            if (line.is_string()) entry.changes.push_back(line.get<std::string>());
    return entry;
}

}  // namespace

bool UpdateEntry::hasSafeName() const {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

namespace Manifest {

std::optional<UpdateEntries> parse(std::string_view json) {
    const Json document = Json::parse(json.begin(), json.end(), nullptr, false);
    if (document.is_discarded() || !document.is_array()) return std::nullopt;
    UpdateEntries entries;
    entries.reserve(document.size());
    for (const Json& element : document) entries.push_back(entryFrom(element));
    return entries;
}

std::optional<UpdateEntries> decipher(const Bytes& manifest) {
    const auto plain = Torque::down(manifest);
    if (!plain || plain->empty()) return std::nullopt;
    return parse(std::string_view(reinterpret_cast<const char*>(plain->data()), plain->size()));
}

}  // namespace Manifest
}  // namespace harbrix
