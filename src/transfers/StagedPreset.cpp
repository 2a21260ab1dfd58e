// Checking a preset file before it is staged.
#include "transfers/StagedPreset.h"

#include <algorithm>
#include <optional>

#include "devices/PresetFile.h"
#include "devices/PresetKeeping.h"
#include "link/Request.h"
#include "link/StringPad.h"
#include "link/Utf8Text.h"

namespace harbrix {
namespace {

std::string fileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name to store for a name field holding bytes beyond ASCII, which no screen can show:
// the printable ASCII characters it holds; none for a field without such bytes.
std::optional<std::string> storableName(const Bytes& bytes) {
    const auto field = bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                           Preset::kNameLength, bytes.size()));
    if (std::none_of(bytes.begin(), field, [](std::uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    const auto end = std::find(bytes.begin(), field, 0);
    std::string name;
    for (auto it = bytes.begin(); it != end; ++it)
        if (*it >= 0x20 && *it < 0x7F) name.push_back(static_cast<char>(*it));
    return name;
}

std::string stem(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

StagedPreset stagePresetFile(const std::string& path, const QORUARTDevice& device) {
    const std::string name = fileName(path);
    const PresetFileRead read = readPresetFile(path, device.model().get());
    if (!read.preset) return {nullptr, "Not staged: " + name + " " + read.refusal + ".", {}};
    const std::size_t size = read.preset->serialized().size();
    const std::size_t takes =
        elementSize(device.presetsSchema().stride) * device.presetsSchema().parameters;
    if (size != takes) {
        return {nullptr,
                "Not staged: " + name + " holds a " + std::to_string(size) + "-byte preset; the " +
                    device.name() + " takes " + std::to_string(takes) + ".",
                {}};
    }
    if (const auto keeper = presetKeeper()) keeper->fileRead(device.name(), *read.preset, path);
    const auto storable = storableName(read.preset->serialized());
    if (!storable) return {read.preset, {}, {}};
    // Written as it is, such a name would show as no name at all on every screen.
    std::string stored(trimmedText(*storable));
    if (stored.empty())
        stored = std::string(trimmedText(sanitized(stem(name)).substr(0, Preset::kNameLength)));
    read.preset->setName(stored);
    return {read.preset,
            {},
            "Staged " + name + " as \"" + read.preset->displayName() +
                "\": a preset name holds only ASCII letters, digits and signs."};
}

}  // namespace harbrix
