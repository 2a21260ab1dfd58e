// harbrixctl rename SLOT NAME: renames the preset in a slot on the pedal.
#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/Preset.h"
#include "link/StringPad.h"

namespace harbrix::ctl {

int renameCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 2, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    const std::string name = session->arguments()[1];
    if (sanitized(name).empty()) {
        return usageError("the name \"" + name + "\" has no character the pedal can show");
    }
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        if (!device.presetName(*slot)) {
            return fail(kPedalFailed, "slot " + slotLabel(*slot) + " is empty");
        }
        if (!device.setPresetName(name, *slot)) {
            return fail(kPedalFailed, "slot " + slotLabel(*slot) + " was not renamed");
        }
        const auto now = device.presetName(*slot);
        std::printf("%s  %s\n", slotLabel(*slot).c_str(),
                    printableName(displayedPresetName(now.value_or(name))).c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
