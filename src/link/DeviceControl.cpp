// Suspend, recover, reboot, the effect switch and MIDI injection.
#include "link/DeviceControl.h"

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
bool DeviceControl::send(std::uint8_t command, std::uint32_t argument, double wait,
                         const Bytes& payload) {
    const auto request = payload.empty()
                             ? buildRequest(command, 0, 0, argument)
                             : buildRequest(command, 0, static_cast<std::uint32_t>(payload.size()),
                                            argument, payload);
    if (!request) return false;
    const auto reply = device_.line().execute(command, *request, wait);
    return reply && reply->error == 0;
}

bool DeviceControl::suspend() {
    return send(Command::SUSPENDC, kSuspendAll, kSuspendWait);
}

bool DeviceControl::recover() {
    return send(Command::RECOVERC, 0, device_.timeouts().recover);
}

// The engine turns a missing reply to "REBOOTC" into an empty record: a restarting pedal
// often never answers.
bool DeviceControl::reboot() {
    return send(Command::REBOOTC, 0, device_.timeouts().reboot);
}

bool DeviceControl::setEffectEnabled(bool enabled) {
    const auto message = dataFromHexString(enabled ? kEffectOn : kEffectOff);
    return message && send(Command::MIDI_JAM, 0, device_.timeouts().general, *message);
}

bool DeviceControl::MIDIJam() {
    const auto path = Bundle::pathForResource("midi-jam-test-payload", "bin");
    const auto payload = path ? bytesOfFile(*path) : std::nullopt;
    if (!payload || payload->empty()) return false;
    // More than 65535 bytes cannot be framed; buildRequest refuses it.
    return send(Command::MIDI_JAM, 0, device_.timeouts().general, *payload);
}

}  // namespace harbrix
