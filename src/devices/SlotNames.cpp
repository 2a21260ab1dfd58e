#include "devices/SlotNames.h"

namespace harbrix {

std::string slotName(std::size_t slot) {
    return "Slot " + std::to_string(slot + 1);
}

std::string slotList(const std::vector<std::size_t>& slots) {
    if (slots.size() == 1) return slotName(slots[0]);
    std::string text = "Slots ";
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (i > 0) text += i + 1 == slots.size() ? " and " : ", ";
        text += std::to_string(slots[i] + 1);
    }
    return text;
}

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace harbrix
