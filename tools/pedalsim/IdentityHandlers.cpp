// Handlers of the bring-up: identity, command list, time-outs, preset geometry and
// the line speed switch.
#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

Bytes whoAmI(const Identity& identity) {
    std::string text = "QOR,," + modelName(identity.model) + ",," + identity.firmware;
    if (!identity.date.empty()) text += ",," + identity.date;
    Bytes payload(text.begin(), text.end());
    payload.push_back(0);
    return payload;
}

}  // namespace

void addIdentityHandlers(HandlerTable& table, const Identity& identity) {
    const Bytes model = whoAmI(identity);
    const bool crlf = identity.crlf;
    table.add(command::kWhoRU, [model, crlf](const Request&, PedalState&) {
        Reply reply = answer(0, model);
        if (crlf) {
            reply.bytes[0] = '\r';
            reply.bytes[1] = '\n';
        }
        return reply;
    });

    Bytes commands = supportedCommands(identity.model);
    commands.push_back(0);
    table.add(command::kGetCmds,
              [commands](const Request&, PedalState&) { return answer(0, commands); });

    const Bytes timeouts(identity.timeouts.begin(), identity.timeouts.end());
    table.add(command::kGetTmo,
              [timeouts](const Request&, PedalState&) { return answer(0, timeouts); });

    // Slots, parameters per preset, size code of one parameter.
    table.add(command::kPresetInfo, [](const Request&, PedalState&) {
        return answer(
            0, {static_cast<std::uint8_t>(kSlotCount), static_cast<std::uint8_t>(kPresetSize), 0});
    });

    // The acknowledgement still goes out at the old speed; the switch follows it.
    table.add(command::kSetBaud, [](const Request& request, PedalState&) {
        if (request.argument == 0) return answer(error::kBadRequest);
        Reply reply = answer(0);
        reply.speedAfter = request.argument;
        return reply;
    });
}

}  // namespace harbrix::pedalsim
