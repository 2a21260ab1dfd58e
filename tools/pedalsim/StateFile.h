// The JSON file that keeps a simulated pedal's presets, settings and agreed line speed
// from one run to the next:
//   {"presets": {"0": "<208 hex digits>", ...}, "edited": [3],
//    "settings": {"midiChannel": 1, ...}, "selectedPreset": 0, "effectEnabled": true,
//    "speed": 115200}
#pragma once

#include <string>

#include "PedalState.h"

namespace harbrix::pedalsim {

class StateFile {
  public:
    enum class Load { Loaded, Missing, Invalid };

    explicit StateFile(std::string path);

    const std::string& path() const { return path_; }
    // Invalid leaves the state untouched and says why in error.
    Load load(PedalState& state, std::string& error) const;
    // Written to a temporary file and renamed, so a reader never sees half a file.
    bool save(const PedalState& state) const;

  private:
    std::string path_;
};

}  // namespace harbrix::pedalsim
