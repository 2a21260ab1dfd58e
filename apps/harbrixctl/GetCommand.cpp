// harbrixctl get SLOT FILE: one preset from the pedal into a preset file (or into a folder,
// named after the preset).
#include <sys/stat.h>

#include <cstdio>

#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/PresetFile.h"
#include "devices/PresetStore.h"

namespace harbrix::ctl {
namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int getCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 2, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    const std::string target = session->arguments()[1];
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        const auto preset = presets(device).read(*slot);
        if (!preset) return fail(kPedalFailed, "slot " + slotLabel(*slot) + " could not be read");
        if (preset->empty()) return fail(kPedalFailed, "slot " + slotLabel(*slot) + " is empty");
        keepFromPedal(device, *slot, *preset);
        const auto bytes = preset->serializedForImportFromDevice(&device);
        if (!bytes) return fail(kPedalFailed, "the pedal's model is unknown");
        std::optional<std::string> written;
        if (isFolder(target)) {
            std::string basename = presetFileBasename(preset->name());
            if (basename.empty()) basename = "Slot " + slotLabel(*slot);
            written = writePresetFileInFolder(target, basename, *bytes);
        } else if (writePresetFile(target, *bytes)) {
            written = target;
        }
        if (!written) return fail(kPedalFailed, "cannot write " + target);
        std::printf("%s  %s -> %s\n", slotLabel(*slot).c_str(),
                    printableName(preset->displayName()).c_str(), written->c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
