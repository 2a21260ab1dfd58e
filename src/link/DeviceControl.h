// Commands that steer the pedal rather than its data: suspend, recover and reboot around a
// firmware update, the effect switch, and MIDI injected as if it came in on its MIDI port.
#pragma once

#include <cstdint>

#include "platform/Bytes.h"

namespace harbrix {

class QORUARTDevice;

class DeviceControl {
  public:
    explicit DeviceControl(QORUARTDevice& device) : device_(device) {}
    DeviceControl(const DeviceControl&) = delete;
    DeviceControl& operator=(const DeviceControl&) = delete;

    bool suspend();
    bool recover();
    // True also when the pedal restarts without answering.
    bool reboot();
    // Switches the effect with the control change the footswitch sends.
    bool setEffectEnabled(bool enabled);
    // Plays the bundled "midi-jam-test-payload" MIDI sequence into the pedal; false at once
    // when the resource is missing or empty.
    bool MIDIJam();

  private:
    bool send(std::uint8_t command, std::uint32_t argument, double wait, const Bytes& payload = {});

    QORUARTDevice& device_;
};

}  // namespace harbrix
