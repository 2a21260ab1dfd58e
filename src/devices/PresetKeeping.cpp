#include "devices/PresetKeeping.h"

#include <mutex>

namespace harbrix {
namespace {

std::mutex& keeperMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<PresetKeeper>& keeperSlot() {
    static std::shared_ptr<PresetKeeper> keeper;
    return keeper;
}

}  // namespace

std::shared_ptr<PresetKeeper> presetKeeper() {
    std::lock_guard lock(keeperMutex());
    return keeperSlot();
}

void setPresetKeeper(std::shared_ptr<PresetKeeper> keeper) {
    std::lock_guard lock(keeperMutex());
    keeperSlot() = std::move(keeper);
}

}  // namespace harbrix
