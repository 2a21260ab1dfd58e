// The operation a drag between two slots offers, and a drop runs: its number and the name the
// status line shows.
#pragma once

#include <cstdint>
#include <string_view>

namespace harbrix {

enum class TransferOperation : std::uint32_t {
    none = 0,
    move = 1,       // onto an empty slot
    copy = 2,       // onto an empty slot, with Option
    swap = 3,       // onto an occupied slot
    overwrite = 4,  // onto an occupied slot, with Option
};

// "Move", "Copy", "Swap", "Overwrite"; "" for none.
std::string_view transferOperationName(TransferOperation operation);

// What a drop onto a slot runs: Move, or Copy with Option, onto an empty slot; Swap, or
// Overwrite with Option, onto an occupied one. Pasting a cut slot is a drop without Option,
// pasting a copied one a drop with it.
TransferOperation dropOperation(bool targetEmpty, bool option);

}  // namespace harbrix
