// Writing presets into files.
#include "transfers/PresetImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "devices/Preset.h"
#include "devices/PresetFile.h"
#include "devices/PresetStore.h"
#include "link/Rails.h"
#include "platform/SystemError.h"
#include "transfers/PresetTransfers.h"

namespace harbrix {
namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string ImportReport::notice() const {
    if (failures.empty()) return {};
    std::string text = counted(failures.size(), "file") + " could not be written: ";
    for (std::size_t i = 0; i < failures.size(); ++i) {
        if (i > 0) text += "; ";
        text += failures[i].first + " (" + failures[i].second + ")";
    }
    return text + ".";
}

std::string ImportReport::summary() const {
    const std::size_t count = written.size();
    if (count == 0) return notice();
    std::string text = "Wrote " + counted(count, "file") + " to " + folder + ".";
    return failures.empty() ? text : text + " " + notice();
}

ImportPlan PresetImport::plan(const QORUARTDevice& device, std::vector<std::size_t> slots) {
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    ImportPlan plan;
    for (const std::size_t slot : slots) {
        // What the pedal stores, whatever the Editor holds unsaved.
        const auto cached = presets(device).cached(slot);
        const auto preset = cached ? cached->savedCopy() : nullptr;
        if (!preset || cached->empty()) {
            plan.records.clear();
            plan.refusal = slotName(slot) + " holds no preset to import.";
            return plan;
        }
        ImportRecord record;
        record.index = slot;
        record.basename = presetFileBasename(preset->name());
        const auto data = preset->serializedForImportFromDevice(&device);
        if (record.basename.empty()) {
            plan.records.clear();
            plan.refusal = slotName(slot) + " has no name to give its file; rename it first.";
            return plan;
        }
        if (!data || data->empty()) {
            plan.records.clear();
            plan.refusal = slotName(slot) + " could not be made into a preset file.";
            return plan;
        }
        record.data = *data;
        plan.records.push_back(std::move(record));
    }
    return plan;
}

ImportReport PresetImport::write(const std::string& folder,
                                 const std::vector<ImportRecord>& records) {
    ImportReport report;
    report.folder = folder;
    const bool folderThere = isFolder(folder);
    for (const ImportRecord& record : records) {
        const std::string file = record.basename + "." + kPresetFileExtension;
        if (!folderThere) {
            report.failures.emplace_back(file, "the folder is gone");
            continue;
        }
        errno = 0;
        const auto path = writePresetFileInFolder(folder, record.basename, record.data);
        if (path) {
            report.written.push_back(*path);
            continue;
        }
        const int error = errno;
        report.failures.emplace_back(
            file, error != 0 ? systemErrorText(error) : "it could not be written");
    }
    return report;
}

void PresetImport::post(std::string folder, std::vector<ImportRecord> records,
                        std::function<void(const ImportReport&)> done) {
    rail(Rails::disk(),
         [folder = std::move(folder), records = std::move(records), done = std::move(done)] {
             const ImportReport report = write(folder, records);
             if (done) rail(Rails::main(), [done, report] { done(report); });
         });
}

}  // namespace harbrix
