#include "devices/SlotContents.h"

#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"

namespace harbrix::SlotContents {

SlotBytes of(const Preset& preset) {
    return preset.empty() ? SlotBytes{} : preset.clean();
}

std::optional<SlotBytes> read(QORUARTDevice& device, std::size_t slot) {
    if (!presets(device).refreshSlot(slot)) return std::nullopt;
    const auto cached = presets(device).cached(slot);
    return cached ? std::optional(of(*cached)) : std::nullopt;
}

std::optional<SlotBytes> known(QORUARTDevice& device, std::size_t slot) {
    if (const auto cached = presets(device).cached(slot)) return of(*cached);
    return read(device, slot);
}

void setEmpty(QORUARTDevice& device, std::size_t slot) {
    const auto cached = presets(device).cached(slot);
    if (cached && cached->empty()) return;
    presets(device).setCached(Preset::emptyPresetForDevice(&device), slot);
    DeviceRegistry::deviceHasUpdatedPresetAtIndex(device.weak_from_this().lock(), slot);
}

bool write(QORUARTDevice& device, std::size_t slot, const SlotBytes& bytes) {
    if (bytes.empty()) return presets(device).erase(slot);
    const auto preset = Preset::presetWithSerialized(bytes);
    return preset && presets(device).write(preset, slot);
}

Verified writeVerified(QORUARTDevice& device, std::size_t slot, const SlotBytes& bytes) {
    using Outcome = Verified::Outcome;
    if (!write(device, slot, bytes)) return {Outcome::refused, {}};
    const auto actual = read(device, slot);
    if (!actual) return {Outcome::unreadable, {}};
    if (*actual != bytes) return {Outcome::mismatch, *actual};
    return {Outcome::written, {}};
}

}  // namespace harbrix::SlotContents
