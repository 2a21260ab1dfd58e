// Presets dropped on a slot from outside the grid.
#include "transfers/Transfers.h"

namespace harbrix {

void Transfers::placePreset(const PresetRef& preset, std::size_t to) {
    // Like a drop between slots: the drag asked whether it may start (mayStartDrag).
    if (!preset) return;
    auto again = [this, preset, to] { placePreset(preset, to); };
    if (!draftsMayGo({to}, again)) return;
    transferPosted(transfers_.place(preset, to, transferDone(again), without_));
}

}  // namespace harbrix
