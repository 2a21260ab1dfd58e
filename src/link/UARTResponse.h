// One parsed pedal reply: the error and development bytes and the payload, read according to the
// command it answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/LCXreply.h"
#include "link/Model.h"
#include "link/PresetsSchema.h"
#include "link/Timeouts.h"
#include "platform/Bytes.h"

namespace harbrix {

struct UARTResponse {
    std::uint8_t command = 0;           // the command the reply answers
    std::uint8_t error = 0;             // reply byte 0; 0 is success
    std::uint8_t development = 0;       // reply byte 1, kept but not interpreted
    std::size_t position = 0;           // where the payload starts
    std::uint8_t byte = 0;              // GET_PRESET
    Bytes data;                         // READ_FLASH, READ_PAGE, READ_PRESET, PEEKC, GET_PRESET
    std::string string;                 // GET_PRESET_NAME
    std::set<std::uint8_t> commands;    // GET_CMDS
    std::vector<std::uint32_t> speeds;  // BAUD_LIST
    Timeouts timeouts;                  // GET_TMO
    std::shared_ptr<Model> model;       // WHO_RU
    PresetsSchema presetsSchema;        // PRESET_INFO
    LCXreply lcxreply{};                // LOCAL_CONTROLX

    // None for a reply that is too short, malformed for its command, or carries a device error;
    // the one error that still yields a record is 6 (empty slot) to READ_PRESET, with only
    // `error` set.
    static std::optional<UARTResponse> response(const Bytes& reply, std::uint8_t command);
    // An empty record.
    static UARTResponse response();

  private:
    static bool parseCommands(const Bytes& reply, UARTResponse& into);
    static bool parseData(const Bytes& reply, UARTResponse& into);
    static bool parseString(const Bytes& reply, UARTResponse& into);
    static bool parseModel(const Bytes& reply, UARTResponse& into);
    static bool parseTimeouts(const Bytes& reply, UARTResponse& into);
    static bool parsePresetsSchema(const Bytes& reply, UARTResponse& into);
    static bool parseSpeeds(const Bytes& reply, UARTResponse& into);
    static bool parseLCXreply(const Bytes& reply, UARTResponse& into);
};

}  // namespace harbrix
