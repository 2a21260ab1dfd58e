// A pedal's presets: reading, writing, erasing, naming and selecting them on the pedal, the
// cache those operations keep current, its refresh from the pedal, and whether the first
// synchronisation has run. Reached as presets(device).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "link/QORUARTDevice.h"

namespace harbrix {

class Preset;

class PresetStore {
  public:
    explicit PresetStore(QORUARTDevice& device) : device_(device) {}
    PresetStore(const PresetStore&) = delete;
    PresetStore& operator=(const PresetStore&) = delete;

    // Slots are 0-based; every operation refuses a slot at or above the schema's slot count
    // without an exchange. Writes and erasures that succeed update the cache and announce
    // the slot; failures leave the cache as it was.
    // The pedal's preset, an empty preset for an unoccupied slot, or none when the read failed.
    std::shared_ptr<Preset> read(std::size_t slot);
    // Sends the working bytes, which must be exactly the schema's preset size, and caches a
    // saved copy of them.
    bool write(const std::shared_ptr<Preset>& preset, std::size_t slot);
    bool erase(std::size_t slot);
    std::optional<std::string> name(std::size_t slot);
    // Sends the ASCII characters of the name, "~" as "-"; refused when none are left. The
    // cache is not changed.
    bool setName(const std::string& name, std::size_t slot);
    bool isloaded();
    // Records the slot in the pedal's "selected-preset" word, then selects it (and loads it
    // into the running sound with `load`). False without that word in the memory map.
    bool select(std::size_t slot, bool load = false);
    bool selectAndLoad(std::size_t slot) { return select(slot, true); }
    // The pedal's "selected-preset" word, low eight bits; none without that word.
    std::optional<std::uint8_t> selected();
    // Whether the pedal has every preset command the editor needs.
    bool supportsPresetEditing() const;

    // The cache. Text keys are read as "0x" hexadecimal or decimal numbers; an unreadable key
    // finds and stores nothing. The object itself is stored, not a copy. Null for a slot
    // nobody has read (its content is not known); an empty preset for an empty slot.
    std::shared_ptr<Preset> cached(std::size_t slot) const;
    std::shared_ptr<Preset> cached(std::string_view key) const;
    void setCached(std::shared_ptr<Preset> preset, std::size_t slot);
    bool setCached(std::shared_ptr<Preset> preset, std::string_view key);

    // Slots first .. first + count - 1, both ends taken as 8-bit values, so a range that
    // wraps past 255 is empty.
    struct SlotRange {
        std::size_t first = 0;
        std::size_t count = 0;
    };
    using RefreshCompletion = std::function<void(bool everySlotRead)>;
    // Reads the slots into the cache, announcing each one whose saved bytes changed, and
    // stops at the first slot that fails to read. Only a MIV3 is refreshed.
    // Immediately: on the calling thread (the pedal's queue). Otherwise behind every other
    // pending piece of work on the pedal's queue, as one block. The completion hears whether
    // every slot was read, on the pedal's queue (on the main rail for another model).
    void refreshPresets(SlotRange range, bool immediately = false,
                        RefreshCompletion completed = {});
    // Slots 0..99, deferred.
    void refreshAllPresets(RefreshCompletion completed = {});
    // Nothing for a slot past the schema.
    void refreshPreset(std::size_t slot, bool immediately = true);
    // Reads one slot into the cache, announcing it when its saved bytes changed; false when
    // the read failed. On the pedal's queue.
    bool refreshSlot(std::size_t slot);
    // A full refresh every 5 s after the previous one ended, for as long as the device lives.
    // Call on the main rail.
    void listenForPresetUpdates();
    // Suspends or resumes (every suspension at once) the pedal's queue.
    void setPaused(bool paused);
    bool paused() const { return paused_; }

    bool refreshing() const { return refreshing_; }
    void setRefreshing(bool refreshing) { refreshing_ = refreshing; }
    // Whether the first synchronisation after the connection has ended, however far it got.
    bool synchronised() const { return synchronised_; }
    void setSynchronised(bool synchronised) { synchronised_ = synchronised; }
    // One retry of the slots not read yet at a time: false when one is under way already.
    bool beginRetry() { return !retrying_.exchange(true); }
    void endRetry() { retrying_ = false; }

  private:
    bool refusesSlot(std::size_t slot) const;
    // Stores the preset under the slot and announces the slot after the lock is released.
    void cacheAndAnnounce(std::shared_ptr<Preset> preset, std::size_t slot);

    QORUARTDevice& device_;
    mutable std::mutex mutex_;
    std::map<std::size_t, std::shared_ptr<Preset>> presets_;
    std::atomic<bool> refreshing_ = false;
    std::atomic<bool> paused_ = false;
    std::atomic<bool> retrying_ = false;
    std::atomic<bool> synchronised_ = false;
};

// The device's preset store; a null device is not allowed.
PresetStore& presets(const QORUARTDevice& device);
inline PresetStore& presets(const QORUARTDevice* device) {
    return presets(*device);
}
inline PresetStore& presets(const DeviceRef& device) {
    return presets(*device);
}

}  // namespace harbrix
