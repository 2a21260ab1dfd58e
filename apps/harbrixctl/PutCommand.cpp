// harbrixctl put FILE SLOT [--verify]: one preset file into a slot of the pedal, journaled as
// an export; with --verify the slot is read back.
#include <cstdio>

#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"
#include "devices/PresetFile.h"

namespace harbrix::ctl {

int putCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 2, status);
    if (!session) return status;
    const std::string file = session->arguments()[0];
    const auto slot = parseSlot(session->arguments()[1]);
    if (!slot) return badSlot(session->arguments()[1]);
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        const auto read = readPresetFile(file, device.model().get());
        if (!read.preset) return fail(kBadInput, file + " " + read.refusal);
        const std::size_t size = read.preset->serialized().size();
        if (size != presetSize(device)) {
            return fail(kBadInput, file + " holds a " + std::to_string(size) +
                                       "-byte preset; the " + device.name() + " takes " +
                                       std::to_string(presetSize(device)));
        }
        keepFromFile(device.name(), *read.preset, file);
        const auto written =
            JournaledWrites::run(device, "Export", {{*slot, read.preset->serialized()}},
                                 line.flag("verify"), {}, withoutJournal(line));
        if (written.refusal) return refused(*written.refusal);
        if (!written.succeeded()) return fail(kPedalFailed, written.problem());
        std::printf("%s  %s <- %s\n", slotLabel(*slot).c_str(),
                    printableName(read.preset->displayName()).c_str(), file.c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
