// A slot's content in the journal's terms (a preset's bytes, or none for an empty slot): read
// from the pedal, taken from the preset cache, and written back, with or without reading the
// write back. Everything here runs on the pedal's queue; what is read goes into the cache and
// is announced when it changed, so the screens show what the pedal really holds.
#pragma once

#include <cstddef>
#include <optional>

#include "devices/JournalEntry.h"

namespace harbrix {

class Preset;
class QORUARTDevice;

namespace SlotContents {

// A preset's saved bytes; none for an empty slot's preset.
SlotBytes of(const Preset& preset);
// What the slot holds now, read from the pedal; none when the read failed.
std::optional<SlotBytes> read(QORUARTDevice& device, std::size_t slot);
// What the cache knows of the slot, read from the pedal when it knows nothing.
std::optional<SlotBytes> known(QORUARTDevice& device, std::size_t slot);
// The slot is empty, as the pedal's state block says: the cache holds an empty preset there,
// announced when it held anything else.
void setEmpty(QORUARTDevice& device, std::size_t slot);
// Writes the preset, or erases the slot for no bytes; false when the pedal refused.
bool write(QORUARTDevice& device, std::size_t slot, const SlotBytes& bytes);

struct Verified {
    enum class Outcome {
        written,     // read back as written
        refused,     // the pedal did not take the write
        unreadable,  // taken, but the slot could not be read back
        mismatch,    // the slot reads back otherwise: `actual`
    };
    Outcome outcome = Outcome::refused;
    SlotBytes actual;
};
// The write, then the slot read back and compared.
Verified writeVerified(QORUARTDevice& device, std::size_t slot, const SlotBytes& bytes);

}  // namespace SlotContents
}  // namespace harbrix
