// harbrixctl restore DIR: the presets of a backup back into the slots they came from. Every
// file is checked before the first one is written, every write is read back, and the whole
// restore is one journal entry.
#include <cstdio>
#include <memory>
#include <utility>

#include "BackupManifest.h"
#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"
#include "devices/PresetFile.h"
#include "devices/SlotNames.h"

namespace harbrix::ctl {

int restoreCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 1, status);
    if (!session) return status;
    const std::string folder = session->arguments()[0];
    std::string why;
    const auto manifest = readManifest(folder, why);
    if (!manifest) return usageError(folder + " " + why);
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (manifest->model != device.name()) {
            return fail(kBadInput, folder + " is a backup of a " + manifest->model +
                                       ", not of this " + device.name());
        }
        std::vector<std::pair<std::size_t, SlotBytes>> presets;
        for (const BackupEntry& entry : manifest->entries) {
            if (const int refused = checkSlot(device, entry.slot)) return refused;
            const std::string path = folder + "/" + entry.file;
            const auto read = readPresetFile(path, device.model().get());
            if (!read.preset)
                return fail(kBadInput, path + " " + read.refusal + "; nothing was written");
            if (read.preset->serialized().size() != presetSize(device)) {
                return fail(kBadInput, path + " holds a " +
                                           std::to_string(read.preset->serialized().size()) +
                                           "-byte preset; nothing was written");
            }
            keepFromFile(device.name(), *read.preset, path);
            presets.emplace_back(entry.slot, read.preset->serialized());
        }
        ProgressBar bar("restore", presets.size());
        const auto written = JournaledWrites::run(
            device, "Restore", presets, true, [&](std::size_t) { bar.advance(); },
            withoutJournal(line));
        bar.clear();
        if (written.refusal) return refused(*written.refusal);
        if (!written.succeeded()) return fail(kPedalFailed, written.problem());
        std::printf("%s restored to the %s\n", counted(presets.size(), "preset").c_str(),
                    device.name().c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
