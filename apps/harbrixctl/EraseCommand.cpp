// harbrixctl erase SLOT: empties one slot of the pedal, journaled as a delete.
#include <cstdio>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"

namespace harbrix::ctl {

int eraseCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 1, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        const auto erased = JournaledWrites::run(device, "Delete", {{*slot, SlotBytes{}}}, false,
                                                 {}, withoutJournal(line));
        if (erased.refusal) return refused(*erased.refusal);
        if (!erased.succeeded()) {
            return fail(kPedalFailed, "slot " + slotLabel(*slot) + " was not erased");
        }
        std::printf("%s  erased\n", slotLabel(*slot).c_str());
        return 0;
    });
}

}  // namespace harbrix::ctl
