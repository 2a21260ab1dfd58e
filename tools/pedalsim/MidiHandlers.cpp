// "MIDI_JAM": MIDI bytes played into the pedal as if they came in on its MIDI port. The
// effect follows control change 79 on channel 1, the message its footswitch sends: values
// from 64 switch it on, lower ones off. Everything else is read and ignored.
#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::uint8_t kControlChangeChannel1 = 0xB0;
constexpr std::uint8_t kEffectController = 79;
constexpr std::uint8_t kOnThreshold = 64;

// Data bytes of a channel message.
std::size_t dataLength(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

void play(const Bytes& midi, PedalState& state) {
    std::uint8_t running = 0;  // running status; 0 while there is none
    Bytes data;
    for (const std::uint8_t byte : midi) {
        if (byte >= 0xF8) continue;  // real-time bytes may appear anywhere
        if (byte & 0x80) {
            // System messages end running status; their data is skipped.
            running = byte < 0xF0 ? byte : 0;
            data.clear();
            continue;
        }
        if (running == 0) continue;
        data.push_back(byte);
        if (data.size() < dataLength(running)) continue;
        if (running == kControlChangeChannel1 && data[0] == kEffectController)
            state.setEffectEnabled(data[1] >= kOnThreshold);
        data.clear();
    }
}

}  // namespace

void addMidiHandlers(HandlerTable& table) {
    table.add(command::kMidiJam, [](const Request& request, PedalState& state) {
        if (request.payload.empty()) return answer(error::kBadRequest);
        play(request.payload, state);
        return answer(0);
    });
}

}  // namespace harbrix::pedalsim
