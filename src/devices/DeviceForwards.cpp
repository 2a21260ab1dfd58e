// Forwards from the device to its preset store and the registry, kept while callers move.
#include "devices/DeviceRegistry.h"
#include "devices/PresetStore.h"

namespace harbrix {

using D = QORUARTDevice;
void D::deviceHasUpdatedPresetAtIndex(const DeviceRef& d, std::size_t i) {
    DeviceRegistry::deviceHasUpdatedPresetAtIndex(d, i);
}
void D::deviceInternalStateChanged(const DeviceRef& d, const std::string& s) {
    DeviceRegistry::deviceInternalStateChanged(d, s);
}
bool D::initialize(DeviceDelegate* d) {
    return DeviceRegistry::initialize(d);
}
void D::listenForDevices() {
    DeviceRegistry::listenForDevices();
}
void D::check() {
    DeviceRegistry::check();
}
DeviceRef D::device(const Meta& m) {
    return DeviceRegistry::device(m);
}
void D::deviceIsConnected(const DeviceRef& d) {
    DeviceRegistry::deviceIsConnected(d);
}
void D::deviceHasBeenDisconnected(const DeviceRef& d) {
    DeviceRegistry::deviceHasBeenDisconnected(d);
}
DeviceRef D::currentDevice() {
    return DeviceRegistry::currentDevice();
}
void D::listenForDeviceUpdates() {
    DeviceRegistry::listenForDeviceUpdates();
}
void D::remove() {
    DeviceRegistry::remove(shared_from_this());
}
void D::setLineFactory(LineFactory f) {
    DeviceRegistry::setLineFactory(std::move(f));
}
void D::resetRegistry() {
    DeviceRegistry::resetRegistry();
}
bool D::refreshing() const {
    return presets(*this).refreshing();
}
void D::setRefreshing(bool v) {
    presets(*this).setRefreshing(v);
}
bool D::paused() const {
    return presets(*this).paused();
}
bool D::synchronised() const {
    return presets(*this).synchronised();
}
void D::setSynchronised(bool v) {
    presets(*this).setSynchronised(v);
}
bool D::beginRetry() {
    return presets(*this).beginRetry();
}
void D::endRetry() {
    presets(*this).endRetry();
}
std::shared_ptr<Preset> D::preset(std::size_t s) {
    return presets(*this).read(s);
}
bool D::writePreset(const std::shared_ptr<Preset>& p, std::size_t s) {
    return presets(*this).write(p, s);
}
bool D::erasePreset(std::size_t s) {
    return presets(*this).erase(s);
}
std::optional<std::string> D::presetName(std::size_t s) {
    return presets(*this).name(s);
}
bool D::setPresetName(const std::string& n, std::size_t s) {
    return presets(*this).setName(n, s);
}
bool D::isloaded() {
    return presets(*this).isloaded();
}
bool D::selectPreset(std::size_t s, bool l) {
    return presets(*this).select(s, l);
}
std::optional<std::uint8_t> D::selectedPreset() {
    return presets(*this).selected();
}
bool D::supportsPresetEditing() const {
    return presets(*this).supportsPresetEditing();
}
std::shared_ptr<Preset> D::cachedPreset(std::size_t s) const {
    return presets(*this).cached(s);
}
std::shared_ptr<Preset> D::cachedPreset(std::string_view k) const {
    return presets(*this).cached(k);
}
void D::setCachedPreset(std::shared_ptr<Preset> p, std::size_t s) {
    presets(*this).setCached(std::move(p), s);
}
bool D::setCachedPreset(std::shared_ptr<Preset> p, std::string_view k) {
    return presets(*this).setCached(std::move(p), k);
}
void D::refreshPresets(SlotRange r, bool i, RefreshCompletion c) {
    presets(*this).refreshPresets({r.first, r.count}, i, std::move(c));
}
void D::refreshAllPresets(RefreshCompletion c) {
    presets(*this).refreshAllPresets(std::move(c));
}
void D::refreshPreset(std::size_t s, bool i) {
    presets(*this).refreshPreset(s, i);
}
bool D::refreshSlot(std::size_t s) {
    return presets(*this).refreshSlot(s);
}
void D::listenForPresetUpdates() {
    presets(*this).listenForPresetUpdates();
}
void D::setPaused(bool p) {
    presets(*this).setPaused(p);
}

}  // namespace harbrix
