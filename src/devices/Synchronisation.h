// Reading a newly connected pedal into the preset cache, and reading again later what could
// not be read then. A slot whose cached preset is null is one nobody has read: the screens
// show it as unknown, never as empty, so no preset is overwritten that the user never saw.
#pragma once

#include "link/QORUARTDevice.h"

namespace harbrix::Synchronisation {

// On the pedal's queue, right after its connection was announced: the state block; every
// slot it says is empty, cached as empty; every occupied slot, in ascending order, until one
// cannot be read; then the settings. A state block that cannot be read leaves every slot
// unknown and the settings as they were.
void initial(const DeviceRef& device);

// From a discovery pass (about once a second): when slots of the pedal are still unknown,
// its first synchronisation has ended and no retry is under way, reads them again behind
// whatever else waits on the pedal's queue, one slot a turn, so a user's operation never
// waits for more than one read. A slot that fails again ends the retry until the next pass.
void retryUnread(const DeviceRef& device);

}  // namespace harbrix::Synchronisation
