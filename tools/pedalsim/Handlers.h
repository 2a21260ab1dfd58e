// The protocol handler table: one handler per command code. A command the model
// advertises but that has no handler yet is acknowledged with a bare header; a command
// it does not advertise is refused with error 1.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Model.h"
#include "PedalState.h"
#include "Request.h"
#include "platform/Bytes.h"

namespace harbrix::pedalsim {

namespace error {
inline constexpr std::uint8_t kUnknownCommand = 1;
inline constexpr std::uint8_t kBadRequest = 2;
inline constexpr std::uint8_t kEmptySlot = 6;
}  // namespace error

// Who the pedal says it is.
struct Identity {
    Model model = Model::MIV3;
    std::string firmware = "42.1.0";
    std::string date = "Mar 4 2021 10:11:12";  // empty: "WHO_RU" names no date
    bool crlf = false;                         // "WHO_RU" starts with CR LF, as old firmware does
    std::array<std::uint8_t, 4> timeouts{2, 1, 2, 3};  // reboot, general, flash, recover
    bool resetRestarts = false;  // a factory reset restarts the pedal, as some firmware does
};

struct Reply {
    Bytes bytes;
    // The line speed the pedal switches to once this reply has gone out.
    std::optional<std::uint32_t> speedAfter;
};

// Error byte, development byte 0, payload.
Reply answer(std::uint8_t errorCode, const Bytes& payload = {});

using Handler = std::function<Reply(const Request&, PedalState&)>;

class HandlerTable {
  public:
    explicit HandlerTable(const Identity& identity);

    void add(std::uint8_t command, Handler handler);
    Reply handle(const Request& request, PedalState& state) const;

  private:
    std::vector<std::uint8_t> supported_;
    std::map<std::uint8_t, Handler> handlers_;
};

// Each family of commands registers its handlers here.
void addIdentityHandlers(HandlerTable& table, const Identity& identity);
void addStateBlockHandlers(HandlerTable& table);
void addPresetHandlers(HandlerTable& table);
void addMemoryHandlers(HandlerTable& table, const Identity& identity);
void addFlashHandlers(HandlerTable& table);
void addMidiHandlers(HandlerTable& table);

}  // namespace harbrix::pedalsim
