#include "support/JournaledOperations.h"

#include "devices/PresetStore.h"
#include "transfers/JournaledTransfers.h"

namespace harbrix::test {
// Each reads the slots it works on from the pedal first, as harbrixctl does.

bool journaledMove(QORUARTDevice& device, std::size_t from, std::size_t to) {
    const PresetRef source = presets(device).read(from);
    return source && JournaledTransfers::move(device, source, from, to).succeeded();
}

bool journaledCopy(QORUARTDevice& device, std::size_t from, std::size_t to) {
    const PresetRef source = presets(device).read(from);
    const PresetRef target = presets(device).read(to);
    if (!source || !target) return false;
    return JournaledTransfers::copy(device, source, to, !target->empty()).succeeded();
}

bool journaledSwap(QORUARTDevice& device, std::size_t a, std::size_t b) {
    const PresetRef first = presets(device).read(a);
    const PresetRef second = presets(device).read(b);
    if (!first || !second) return false;
    return JournaledTransfers::swap(device, first, second, a, b).succeeded();
}

bool journaledDelete(QORUARTDevice& device, const std::vector<std::size_t>& slots) {
    return JournaledTransfers::erase(device, slots).succeeded();
}

bool journaledRename(QORUARTDevice& device, std::size_t slot, const std::string& name) {
    const PresetRef preset = presets(device).read(slot);
    if (!preset || preset->empty()) return false;
    const auto renamed = JournaledTransfers::renamed(*preset, name);
    return renamed &&
           JournaledTransfers::rename(device, renamed->preset, slot, renamed->oldName).succeeded();
}

}  // namespace harbrix::test
