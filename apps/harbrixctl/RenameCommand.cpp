// harbrixctl rename SLOT NAME: renames the preset in a slot on the pedal, journaled with the
// preset as it was and as the pedal holds it afterwards.
#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
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
        const auto renamed = JournaledWrites::rename(device, *slot, name, withoutJournal(line));
        if (renamed.refusal) return refused(*renamed.refusal);
        using Outcome = JournaledWrites::Outcome;
        if (renamed.outcome == Outcome::refused)
            return fail(kPedalFailed, "slot " + slotLabel(*slot) + " was not renamed");
        if (renamed.outcome != Outcome::written && renamed.outcome != Outcome::unverified)
            return fail(kPedalFailed, renamed.problem());
        const auto preset = presets(device).cached(*slot);
        const std::string now = preset && renamed.succeeded() ? preset->name() : sanitized(name);
        std::printf("%s  %s\n", slotLabel(*slot).c_str(),
                    printableName(displayedPresetName(now)).c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
