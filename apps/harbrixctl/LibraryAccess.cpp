#include "LibraryAccess.h"

#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/PresetStore.h"
#include "library/PedalLibrary.h"
#include "link/QORUARTDevice.h"

namespace harbrix::ctl {
namespace {

void warn(const std::string& problem) {
    std::fprintf(stderr, "harbrixctl: %s\n", problem.c_str());
}

}  // namespace

Library* library() {
    static const std::shared_ptr<Library> opened = [] {
        auto opening = Library::open();
        if (!opening.notice.empty()) warn(opening.notice);
        if (!opening.library) warn(opening.problem + "; presets are not kept in it this time");
        return opening.library;
    }();
    return opened.get();
}

void keepFromPedal(const QORUARTDevice& device, std::size_t slot, const Preset& preset) {
    if (Library* kept = library()) {
        const auto id = collectFromPedal(*kept, device, slot, preset);
        if (!id) warn(id.problem);
    }
}

void keepFromFile(const std::string& model, const Preset& preset, const std::string& path) {
    if (Library* kept = library()) {
        const auto id = collectFromFile(*kept, model, preset, path);
        if (!id) warn(id.problem);
    }
}

std::optional<SnapshotRecord> keepSnapshot(
    const QORUARTDevice& device, const std::map<std::size_t, std::shared_ptr<Preset>>& occupied) {
    Library* kept = library();
    if (!kept) return std::nullopt;
    const auto record = recordPedal(*kept, device, occupied);
    if (!record) warn(record.problem);
    return record.value;
}

std::optional<std::map<std::size_t, std::shared_ptr<Preset>>> readPedal(QORUARTDevice& device,
                                                                        const std::string& label,
                                                                        int& status) {
    const auto occupied = occupiedSlots(device);
    if (!occupied) {
        status = fail(kPedalFailed, "the pedal did not say which slots it uses");
        return std::nullopt;
    }
    std::map<std::size_t, std::shared_ptr<Preset>> presets;
    ProgressBar bar(label, occupied->size());
    for (const std::size_t slot : *occupied) {
        auto preset = harbrix::presets(device).read(slot);
        if (!preset) {
            bar.clear();
            status = fail(kPedalFailed, "slot " + slotLabel(slot) + " could not be read");
            return std::nullopt;
        }
        if (!preset->empty()) presets.emplace(slot, std::move(preset));
        bar.advance();
    }
    return presets;
}

std::optional<std::int64_t> parseLibraryId(const std::string& text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    std::int64_t id = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        id = id * 10 + (c - '0');
    }
    return id > 0 ? std::optional<std::int64_t>(id) : std::nullopt;
}

int recordNotFound(const RecordName& name, const std::string& word,
                   const std::optional<std::string>& problem) {
    if (!problem)
        return usageError("\"" + word + "\" is not a " + name.id + " id (see " + name.listing +
                          ")");
    const bool missing = problem->rfind(std::string("the library has no ") + name.record, 0) == 0;
    return missing ? usageError(*problem) : fail(kPedalFailed, *problem);
}

}  // namespace harbrix::ctl
