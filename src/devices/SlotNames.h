// Slots as the user's notices name them: "Slot 12", "Slots 3 and 7", "Slots 3, 7 and 9".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace harbrix {

std::string slotName(std::size_t slot);
// The slots in the order given.
std::string slotList(const std::vector<std::size_t>& slots);

}  // namespace harbrix
