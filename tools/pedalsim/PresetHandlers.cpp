// Preset slot commands.
#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {

void addPresetHandlers(HandlerTable& table) {
    // Header: size code of one parameter, parameter count, slot index. The pedal only
    // hands out whole presets of one-byte parameters.
    table.add(command::kReadPreset, [](const Request& request, PedalState& state) {
        if (request.argument >= kSlotCount || request.sizeCode != 0 ||
            request.count != kPresetSize) {
            return answer(error::kBadRequest);
        }
        const auto& preset = state.preset(request.argument);
        if (!preset) return answer(error::kEmptySlot);
        return answer(0, *preset);
    });
}

}  // namespace harbrix::pedalsim
