#include "support/JournaledOperations.h"

#include "devices/JournaledChange.h"
#include "devices/JournaledWrites.h"
#include "devices/SlotContents.h"

namespace harbrix::test {

bool journaledMove(QORUARTDevice& device, std::size_t from, std::size_t to) {
    const auto bytes = SlotContents::known(device, from);
    if (!bytes) return false;
    auto change = JournaledChange::begin(device, "Move", {{to, *bytes}, {from, SlotBytes{}}});
    if (!change) return false;
    std::set<std::size_t> changed;
    const bool written = SlotContents::write(device, to, *bytes);
    if (written) changed.insert(to);
    const bool erased = written && device.erasePreset(from);
    if (erased) changed.insert(from);
    change->finish(changed);
    return erased;
}

bool journaledCopy(QORUARTDevice& device, std::size_t from, std::size_t to) {
    const auto bytes = SlotContents::known(device, from);
    const auto target = SlotContents::known(device, to);
    if (!bytes || !target) return false;
    const char* operation = target->empty() ? "Copy" : "Overwrite";
    return JournaledWrites::run(device, operation, {{to, *bytes}}, false).succeeded();
}

bool journaledSwap(QORUARTDevice& device, std::size_t a, std::size_t b) {
    const auto first = SlotContents::known(device, a);
    const auto second = SlotContents::known(device, b);
    if (!first || !second) return false;
    return JournaledWrites::run(device, "Swap", {{b, *first}, {a, *second}}, false).succeeded();
}

bool journaledDelete(QORUARTDevice& device, const std::vector<std::size_t>& slots) {
    std::vector<std::pair<std::size_t, SlotBytes>> erasures;
    for (const std::size_t slot : slots) erasures.emplace_back(slot, SlotBytes{});
    return JournaledWrites::run(device, "Delete", erasures, false).succeeded();
}

bool journaledRename(QORUARTDevice& device, std::size_t slot, const std::string& name) {
    return JournaledWrites::rename(device, slot, name).succeeded();
}

}  // namespace harbrix::test
