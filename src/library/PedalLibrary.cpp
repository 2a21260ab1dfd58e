#include "library/PedalLibrary.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "devices/Preset.h"
#include "devices/PresetFile.h"
#include "link/Model.h"
#include "link/QORUARTDevice.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

std::string slotName(std::size_t slot) {
    char text[16];
    std::snprintf(text, sizeof text, "Slot %02u", static_cast<unsigned>(slot + 1));
    return text;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The preset's file name in a folder: its name, or the slot it was in when it has none.
std::string basenameFor(const Bytes& bytes, std::size_t slot) {
    const auto preset = Preset::presetWithSerialized(bytes);
    const std::string basename = preset ? presetFileBasename(preset->name()) : "";
    return basename.empty() ? slotName(slot) : basename;
}

}  // namespace

LibraryResult<std::int64_t> collectFromPedal(Library& library, const QORUARTDevice& device,
                                             std::size_t slot, const Preset& preset) {
    return library.collect(device.name(), preset.serialized(), preset.name(),
                           {device.serial(), slot, {}});
}

LibraryResult<std::int64_t> collectFromFile(Library& library, const std::string& model,
                                            const Preset& preset, const std::string& path) {
    return library.collect(model, preset.serialized(), preset.name(), {{}, std::nullopt, path});
}

LibraryResult<SnapshotRecord> recordPedal(
    Library& library, const QORUARTDevice& device,
    const std::map<std::size_t, std::shared_ptr<Preset>>& occupied) {
    std::vector<SlotPreset> slots;
    for (const auto& [slot, preset] : occupied)
        if (preset && !preset->empty())
            slots.push_back({slot, preset->serialized(), preset->name()});
    return library.recordSnapshot(device.name(), device.serial(), device.presetsSchema().presets,
                                  slots);
}

std::vector<std::optional<Bytes>> slotBytes(
    const QORUARTDevice& device, const std::map<std::size_t, std::shared_ptr<Preset>>& occupied) {
    std::vector<std::optional<Bytes>> bytes(device.presetsSchema().presets);
    for (const auto& [slot, preset] : occupied)
        if (slot < bytes.size()) bytes[slot] = preset->serialized();
    return bytes;
}

SnapshotRestorePlan planSnapshotRestore(const Snapshot& snapshot, const std::string& model,
                                        const std::vector<std::optional<Bytes>>& current) {
    SnapshotRestorePlan plan;
    if (snapshot.info.model != model) {
        plan.problem = "snapshot " + std::to_string(snapshot.info.id) + " is of a " +
                       snapshot.info.model + ", not of a " + model;
        return plan;
    }
    if (snapshot.bytes.size() != current.size()) {
        plan.problem = "snapshot " + std::to_string(snapshot.info.id) + " has " +
                       std::to_string(snapshot.bytes.size()) + " slots; the pedal has " +
                       std::to_string(current.size());
        return plan;
    }
    for (std::size_t slot = 0; slot < current.size(); ++slot) {
        if (snapshot.bytes[slot] == current[slot]) continue;
        plan.writes.emplace_back(slot, snapshot.bytes[slot].value_or(SlotBytes{}));
    }
    return plan;
}

std::vector<std::size_t> slotsThatDiffer(const Snapshot& snapshot,
                                         const std::vector<std::optional<Bytes>>& current) {
    std::vector<std::size_t> differing;
    for (std::size_t slot = 0; slot < std::max(snapshot.bytes.size(), current.size()); ++slot) {
        const std::optional<Bytes> none;
        const auto& held = slot < snapshot.bytes.size() ? snapshot.bytes[slot] : none;
        const auto& now = slot < current.size() ? current[slot] : none;
        if (held != now) differing.push_back(slot);
    }
    return differing;
}

std::size_t differingSlots(const Snapshot& snapshot,
                           const std::vector<std::optional<Bytes>>& current) {
    return slotsThatDiffer(snapshot, current).size();
}

JournaledWrites restoreSnapshot(QORUARTDevice& device, const SnapshotRestorePlan& plan,
                                WithoutJournal without,
                                const std::function<void(std::size_t)>& done) {
    return JournaledWrites::run(device, "Snapshot", plan.writes, true, done, without);
}

SnapshotExport exportSnapshot(const Snapshot& snapshot, const std::string& folder) {
    SnapshotExport result;
    if (Model::productOf(snapshot.info.model) == 0) {
        result.problem = "the library does not know the model " + snapshot.info.model;
        return result;
    }
    if (!createDirectories(folder)) {
        result.problem = "cannot make the folder " + folder + ": " + std::strerror(errno);
        return result;
    }
    for (std::size_t slot = 0; slot < snapshot.bytes.size(); ++slot) {
        if (!snapshot.bytes[slot]) continue;
        const auto bytes = presetFileBytes(*snapshot.bytes[slot], snapshot.info.model);
        const auto path = bytes ? writePresetFileInFolder(
                                      folder, basenameFor(*snapshot.bytes[slot], slot), *bytes)
                                : std::nullopt;
        if (!path) {
            result.problem = "cannot write the preset of slot " + slotName(slot).substr(5) +
                             " in " + folder + ": " + std::strerror(errno);
            return result;
        }
        result.files.emplace_back(slot, path->substr(folder.size() + 1));
    }
    return result;
}

LibraryResult<std::string> exportPreset(Library& library, std::int64_t id,
                                        const std::string& path) {
    const auto stored = library.preset(id);
    if (!stored) return LibraryResult<std::string>::failed(stored.problem);
    const auto bytes = library.presetBytes(id);
    if (!bytes) return LibraryResult<std::string>::failed(bytes.problem);
    const auto fileBytes = presetFileBytes(*bytes, stored->model);
    if (!fileBytes)
        return LibraryResult<std::string>::failed("the library does not know the model " +
                                                  stored->model);
    std::optional<std::string> written;
    if (isFolder(path)) {
        std::string basename = presetFileBasename(stored->name);
        if (basename.empty()) basename = "Preset " + std::to_string(id);
        written = writePresetFileInFolder(path, basename, *fileBytes);
    } else if (writePresetFile(path, *fileBytes)) {
        written = path;
    }
    if (!written)
        return LibraryResult<std::string>::failed("cannot write " + path + ": " +
                                                  std::strerror(errno));
    return {written, {}};
}

}  // namespace harbrix
