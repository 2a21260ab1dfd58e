#include "devices/FactoryReset.h"

#include "devices/JournaledChange.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "devices/SlotContents.h"
#include "link/PedalRestart.h"
#include "link/QORUARTDevice.h"

namespace harbrix {

bool FactoryReset::restoresPresets(std::uint32_t mask) {
    return (mask & (PedalMemory::kRestorePresets | PedalMemory::kRestoreEverything)) != 0;
}

FactoryReset::Result FactoryReset::run(QORUARTDevice& device, std::uint32_t mask,
                                       WithoutJournal without) {
    if (!restoresPresets(mask) || !presets(device).supportsPresetEditing()) {
        const bool taken = device.ram().resetToFactoryDefaults(mask);
        PedalRestart(device).answersOrComesBack();
        if (taken) return {true, {}, {}};
        return {false, "The pedal did not take the factory reset.", {}};
    }
    std::vector<JournaledChange::Plan> plan;
    for (std::size_t slot = 0; slot < device.presetsSchema().presets; ++slot)
        plan.push_back({slot, std::nullopt});
    ChangeRefusal refusal;
    auto change = JournaledChange::begin(device, "Factory Reset", plan, &refusal, without);
    if (!change) return {false, refusal.message(), refusal};
    // Even a reset the pedal did not confirm may have happened: what it holds now decides.
    const bool taken = device.ram().resetToFactoryDefaults(mask);
    // Some firmware restarts to reset; it is brought back before its slots are read.
    PedalRestart(device).answersOrComesBack();
    std::set<std::size_t> changed;
    std::vector<SlotChange> after;
    std::set<std::size_t> read;
    for (auto& [slot, bytes] : readBack(device)) {
        read.insert(slot);
        if (bytes != change->before(slot)) changed.insert(slot);
        after.push_back({slot, {}, std::move(bytes)});
    }
    // A slot that could not be read may have changed; Undo checks it against what it held.
    for (const auto& p : plan)
        if (!read.count(p.slot)) changed.insert(p.slot);
    change->finish(changed, after);
    if (!taken) return {false, "The pedal did not take the factory reset.", {}};
    return {true, {}, {}};
}

std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> FactoryReset::readBack(
    QORUARTDevice& device) {
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> slots;
    const auto state = device.bringUp().readDeviceState();
    for (std::size_t slot = 0; slot < device.presetsSchema().presets; ++slot) {
        // The state block tells the empty slots; only the others need a read.
        if (state && !state->isOccupied(static_cast<unsigned>(slot))) {
            SlotContents::setEmpty(device, slot);
            slots.emplace_back(slot, SlotBytes{});
            continue;
        }
        if (auto bytes = SlotContents::read(device, slot)) slots.emplace_back(slot, *bytes);
    }
    return slots;
}

}  // namespace harbrix
