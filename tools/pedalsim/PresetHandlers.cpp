// Preset slot commands: reading, writing, erasing and naming slots, and selecting one. The
// slot maps of the state block follow from what these do: a slot is occupied while it holds
// a preset, and edited while the sound running from it differs from what it holds, which a
// write, an erasure or a load puts right.
#include <algorithm>

#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::uint32_t kLoadFlag = 0x100;

// Whole presets of one-byte parameters are all the pedal hands out and takes.
bool wholePreset(const Request& request) {
    return request.sizeCode == 0 && request.count == kPresetSize;
}

bool validSlot(std::uint32_t argument) {
    return argument < kSlotCount;
}

}  // namespace

void addPresetHandlers(HandlerTable& table) {
    // Header: size code, parameter count, slot.
    table.add(command::kReadPreset, [](const Request& request, PedalState& state) {
        if (!validSlot(request.argument) || !wholePreset(request)) {
            return answer(error::kBadRequest);
        }
        const auto& preset = state.preset(request.argument);
        if (!preset) return answer(error::kEmptySlot);
        return answer(0, *preset);
    });

    // Header: size code, parameter count, slot; payload: the preset.
    table.add(command::kWritePreset, [](const Request& request, PedalState& state) {
        if (!validSlot(request.argument) || !wholePreset(request) ||
            request.payload.size() != kPresetSize) {
            return answer(error::kBadRequest);
        }
        state.setPreset(request.argument, request.payload);
        state.setEdited(request.argument, false);
        return answer(0);
    });

    // Argument: slot. Erasing an empty slot is no error.
    table.add(command::kErasePreset, [](const Request& request, PedalState& state) {
        if (!validSlot(request.argument)) return answer(error::kBadRequest);
        state.erasePreset(request.argument);
        state.setEdited(request.argument, false);
        return answer(0);
    });

    // Argument: slot. The reply is the stored name field and a terminating 0.
    table.add(command::kGetPresetName, [](const Request& request, PedalState& state) {
        if (!validSlot(request.argument)) return answer(error::kBadRequest);
        const auto& preset = state.preset(request.argument);
        if (!preset) return answer(error::kEmptySlot);
        Bytes name(preset->begin(), preset->begin() + kNameSize);
        name.push_back(0);
        return answer(0, name);
    });

    // Count: name bytes with the terminating 0; argument: slot; payload: the name. The pedal
    // keeps 24 ASCII characters, padded with spaces.
    table.add(command::kSetPresetName, [](const Request& request, PedalState& state) {
        const Bytes& payload = request.payload;
        const auto terminator = std::find(payload.begin(), payload.end(), std::uint8_t{0});
        const bool ascii =
            std::all_of(payload.begin(), terminator, [](std::uint8_t b) { return b < 0x80; });
        if (!validSlot(request.argument) || request.sizeCode != 0 || terminator == payload.end() ||
            !ascii) {
            return answer(error::kBadRequest);
        }
        const auto& stored = state.preset(request.argument);
        if (!stored) return answer(error::kEmptySlot);
        Bytes preset = *stored;
        std::fill_n(preset.begin(), kNameSize, ' ');
        const auto length = std::min<std::ptrdiff_t>(terminator - payload.begin(), kNameSize);
        std::copy_n(payload.begin(), length, preset.begin());
        state.setPreset(request.argument, std::move(preset));
        return answer(0);
    });

    // Argument: slot, plus 256 to load the slot's preset into the running sound as well.
    table.add(command::kSetPreset, [](const Request& request, PedalState& state) {
        const std::uint32_t slot = request.argument & ~kLoadFlag;
        if (!validSlot(slot)) return answer(error::kBadRequest);
        state.setSelectedPreset(static_cast<std::uint8_t>(slot));
        if (request.argument & kLoadFlag) state.setEdited(slot, false);
        return answer(0);
    });

    // Count 1: the selected slot's number.
    table.add(command::kGetPreset, [](const Request& request, PedalState& state) {
        if (request.count != 1) return answer(error::kBadRequest);
        return answer(0, Bytes{state.selectedPreset()});
    });
}

}  // namespace harbrix::pedalsim
