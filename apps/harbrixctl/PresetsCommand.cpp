// harbrixctl presets: every slot of the pedal with its number and name.
#include <cstdio>
#include <map>
#include <set>

#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "devices/SlotNames.h"

namespace harbrix::ctl {

int presetsCommand(const CommandLine& line) {
    int status = 0;
    const auto session = presetSession(line, 0, status);
    if (!session) return status;
    return onPedal(*session, line, [](QORUARTDevice& device) {
        const auto occupied = occupiedSlots(device);
        if (!occupied) return fail(kPedalFailed, "the pedal did not say which slots it uses");
        std::map<std::size_t, std::string> names;
        std::map<std::size_t, std::shared_ptr<Preset>> presets;
        std::set<std::size_t> unreadable;
        {
            ProgressBar bar("reading", occupied->size());
            for (const std::size_t slot : *occupied) {
                const auto preset = harbrix::presets(device).read(slot);
                if (!preset)
                    unreadable.insert(slot);
                else if (!preset->empty()) {
                    names[slot] = printableName(preset->displayName());
                    presets[slot] = preset;
                }
                bar.advance();
            }
        }
        for (std::size_t slot = 0; slot < device.presetsSchema().presets; ++slot) {
            const auto name = names.find(slot);
            const char* shown = unreadable.count(slot) ? "(unreadable)"
                                : name == names.end()  ? "(empty)"
                                                       : name->second.c_str();
            std::printf("%s  %s\n", slotLabel(slot).c_str(), shown);
        }
        if (unreadable.empty()) {
            keepSnapshot(device, presets);
            return 0;
        }
        for (const auto& [slot, preset] : presets) keepFromPedal(device, slot, *preset);
        return fail(kPedalFailed, counted(unreadable.size(), "slot") + " could not be read");
    });
}

}  // namespace harbrix::ctl
