// harbrixctl backup DIR: every occupied slot of the pedal into its own preset file in DIR, with
// a manifest that remembers which slot each file came from.
#include <cstdio>
#include <memory>
#include <utility>

#include "BackupManifest.h"
#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/PresetFile.h"
#include "devices/PresetStore.h"
#include "devices/SlotNames.h"
#include "platform/Paths.h"

namespace harbrix::ctl {

int backupCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 1, status);
    if (!session) return status;
    const std::string folder = session->arguments()[0];
    if (fileExists(folder + "/" + kManifestName)) {
        return usageError(folder + " already holds a backup");
    }
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        const auto occupied = occupiedSlots(device);
        if (!occupied) return fail(kPedalFailed, "the pedal did not say which slots it uses");
        // Everything is read before anything is written: a failed read leaves no half backup.
        std::vector<std::pair<std::size_t, std::shared_ptr<Preset>>> presets;
        {
            ProgressBar bar("backup", occupied->size());
            for (const std::size_t slot : *occupied) {
                auto preset = harbrix::presets(device).read(slot);
                if (!preset) {
                    bar.clear();
                    return fail(kPedalFailed, "slot " + slotLabel(slot) +
                                                  " could not be read; nothing was written");
                }
                if (!preset->empty()) presets.emplace_back(slot, std::move(preset));
                bar.advance();
            }
        }
        keepSnapshot(device, {presets.begin(), presets.end()});
        if (!createDirectories(folder)) return fail(kBadInput, "cannot make the folder " + folder);
        BackupManifest manifest{device.name(), {}};
        for (const auto& [slot, preset] : presets) {
            std::string basename = presetFileBasename(preset->name());
            if (basename.empty()) basename = "Slot " + slotLabel(slot);
            const auto bytes = preset->serializedForImportFromDevice(&device);
            const auto path =
                bytes ? writePresetFileInFolder(folder, basename, *bytes) : std::nullopt;
            if (!path)
                return fail(kPedalFailed,
                            "cannot write the preset of slot " + slotLabel(slot) + " in " + folder);
            manifest.entries.push_back({slot, path->substr(folder.size() + 1)});
        }
        if (!writeManifest(folder, manifest))
            return fail(kPedalFailed, "cannot write the manifest in " + folder);
        std::printf("%s of the %s backed up in %s\n", counted(presets.size(), "preset").c_str(),
                    device.name().c_str(), folder.c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
