// Slots as the user's notices name them: "Slot 12", "Slots 3 and 7", "Slots 3, 7 and 9".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace harbrix {

std::string slotName(std::size_t slot);
// The slots in the order given.
std::string slotList(const std::vector<std::size_t>& slots);
// A count with its noun: "1 preset", "6 presets" (the noun takes an "s" for any other number).
std::string counted(std::size_t count, const std::string& noun);

}  // namespace harbrix
