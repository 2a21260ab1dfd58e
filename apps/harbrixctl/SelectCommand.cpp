// harbrixctl select SLOT [--load]: makes a slot the pedal's selected one, and with --load
// also the running sound.
#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/PresetStore.h"

namespace harbrix::ctl {

int selectCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 1, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    const bool load = line.flag("load");
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        if (!presets(device).select(*slot, load)) {
            return fail(kPedalFailed, "the pedal did not select slot " + slotLabel(*slot));
        }
        std::printf("%s  selected%s\n", slotLabel(*slot).c_str(), load ? " and loaded" : "");
        return 0;
    });
}

}  // namespace harbrix::ctl
