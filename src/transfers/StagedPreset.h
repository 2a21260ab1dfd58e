// A preset file the user stages on a slot, checked before it is staged: it must be readable,
// made for the connected pedal's model, and hold exactly the preset size the pedal takes (a
// body of another size would go out as a malformed write). A name the pedal cannot store as
// it is (bytes outside printable ASCII) is staged as the name it will store, and the notice
// says so.
#pragma once

#include <string>

#include "transfers/PresetTransfers.h"

namespace harbrix {

struct StagedPreset {
    PresetRef preset;     // none when refused
    std::string refusal;  // one line for the user when refused
    std::string notice;   // one line for the user when staged with another name
};

// The file at `path`, for `device`.
StagedPreset stagePresetFile(const std::string& path, const QORUARTDevice& device);

}  // namespace harbrix
