// harbrixctl reset presets,expression,midi,display|all: restores what the list names to
// the factory state. The pedal refuses every other command while it resets. A reset of the
// presets is journaled with every slot's preset, so it can be undone.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"
#include "devices/FactoryReset.h"

namespace harbrix::ctl {
namespace {

const struct {
    const char* name;
    std::uint32_t bit;
} kParts[] = {
    {"presets", PedalMemory::kRestorePresets}, {"expression", PedalMemory::kRestoreExpression},
    {"midi", PedalMemory::kRestoreMIDI},       {"display", PedalMemory::kRestoreDisplay},
    {"all", PedalMemory::kRestoreEverything},
};

// The mask a comma-separated list composes; none, with the bad part named, for anything else.
std::optional<std::uint32_t> parseMask(const std::string& list, std::string& error) {
    std::uint32_t mask = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string part =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::uint32_t bit = 0;
        for (const auto& p : kParts)
            if (part == p.name) bit = p.bit;
        if (bit == 0) {
            error =
                "unknown reset part \"" + part + "\" (presets, expression, midi, display or all)";
            return std::nullopt;
        }
        mask |= bit;
        if (comma == std::string::npos) return mask;
        start = comma + 1;
    }
}

}  // namespace

int resetCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, 1);
    if (!session) return usageError(error);
    const std::string& list = session->arguments()[0];
    const auto mask = parseMask(list, error);
    if (!mask) return usageError(error);
    return runBroughtUp(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = needsMemoryMap(device, "factory reset")) return refused;
        const auto reset = FactoryReset::run(device, *mask, withoutJournal(line));
        if (reset.refusal) return refused(*reset.refusal);
        if (!reset.succeeded) {
            // A sentence for the window; a clause after "harbrixctl: " here.
            std::string message = reset.message;
            if (!message.empty() && message.back() == '.') message.pop_back();
            if (!message.empty()) message[0] = static_cast<char>(std::tolower(message[0]));
            return fail(kPedalFailed, message);
        }
        std::printf("reset %s (mask %u)\n", list.c_str(), *mask);
        return 0;
    });
}

}  // namespace harbrix::ctl
