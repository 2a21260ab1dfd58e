// Commands that steer the pedal rather than its data: suspend, recover and reboot around a
// firmware update, and MIDI injected as if it came in on the pedal's MIDI port.
#include "link/ByteText.h"
#include "link/Commands.h"
#include "link/FirmwareImage.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Bundle.h"

namespace harbrix {
namespace {

// Control change 79 on MIDI channel 1: the footswitch's own message, 127 on and 0 off.
constexpr const char* kEffectOn = "B04F7F";
constexpr const char* kEffectOff = "B04F00";
// The pedal needs this long to settle into its suspended state before it answers.
constexpr double kSuspendWait = 2.0;
// The argument the pedal expects with "SUSPENDC".
constexpr std::uint32_t kSuspendAll = 3;

}  // namespace

// Request: command, 0, payload length, argument; payload: the bytes (MIDI for "MIDI_JAM").
bool QORUARTDevice::control(std::uint8_t command, std::uint32_t argument, double wait,
                            const Bytes& payload) {
    const auto request = payload.empty()
                             ? buildRequest(command, 0, 0, argument)
                             : buildRequest(command, 0, static_cast<std::uint32_t>(payload.size()),
                                            argument, payload);
    if (!request) return false;
    const auto reply = execute(command, *request, wait);
    return reply && reply->error == 0;
}

bool QORUARTDevice::suspend() {
    return control(Command::SUSPENDC, kSuspendAll, kSuspendWait);
}

bool QORUARTDevice::recover() {
    return control(Command::RECOVERC, 0, timeouts_.recover);
}

// The engine turns a missing reply to "REBOOTC" into an empty record: a restarting pedal
// often never answers.
bool QORUARTDevice::reboot() {
    return control(Command::REBOOTC, 0, timeouts_.reboot);
}

bool QORUARTDevice::setEffectEnabled(bool enabled) {
    const auto message = dataFromHexString(enabled ? kEffectOn : kEffectOff);
    return message && control(Command::MIDI_JAM, 0, timeouts_.general, *message);
}

bool QORUARTDevice::MIDIJam() {
    const auto path = Bundle::pathForResource("midi-jam-test-payload", "bin");
    const auto payload = path ? bytesOfFile(*path) : std::nullopt;
    if (!payload || payload->empty()) return false;
    // More than 65535 bytes cannot be framed; buildRequest refuses it.
    return control(Command::MIDI_JAM, 0, timeouts_.general, *payload);
}

}  // namespace harbrix
