// Dispatch of requests to their handlers.
#include "Handlers.h"

#include <algorithm>

#include "Commands.h"

namespace harbrix::pedalsim {

Reply answer(std::uint8_t errorCode, const Bytes& payload) {
    Reply reply;
    reply.bytes.reserve(2 + payload.size());
    reply.bytes.push_back(errorCode);
    reply.bytes.push_back(0);
    reply.bytes.insert(reply.bytes.end(), payload.begin(), payload.end());
    return reply;
}

HandlerTable::HandlerTable(const Identity& identity)
    : supported_(supportedCommands(identity.model)) {
    addIdentityHandlers(*this, identity);
    addStateBlockHandlers(*this);
    addPresetHandlers(*this);
    addMemoryHandlers(*this, identity);
    addFlashHandlers(*this);
    addMidiHandlers(*this);
}

void HandlerTable::add(std::uint8_t command, Handler handler) {
    handlers_[command] = std::move(handler);
}

Reply HandlerTable::handle(const Request& request, PedalState& state) const {
    if (std::find(supported_.begin(), supported_.end(), request.command) == supported_.end()) {
        return answer(error::kUnknownCommand);
    }
    const auto it = handlers_.find(request.command);
    if (it == handlers_.end()) return answer(0);
    return it->second(request, state);
}

}  // namespace harbrix::pedalsim
