// Names of the transfer operations.
#include "transfers/TransferOperation.h"

namespace harbrix {

std::string_view transferOperationName(TransferOperation operation) {
    switch (operation) {
        case TransferOperation::move:
            return "Move";
        case TransferOperation::copy:
            return "Copy";
        case TransferOperation::swap:
            return "Swap";
        case TransferOperation::overwrite:
            return "Overwrite";
        case TransferOperation::none:
            break;
    }
    return "";
}

TransferOperation dropOperation(bool targetEmpty, bool option) {
    if (targetEmpty) return option ? TransferOperation::copy : TransferOperation::move;
    return option ? TransferOperation::overwrite : TransferOperation::swap;
}

}  // namespace harbrix
