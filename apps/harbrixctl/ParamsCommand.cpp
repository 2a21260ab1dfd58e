// harbrixctl params SLOT [KEY=VALUE...]: shows every parameter of a slot's preset by key, or
// changes the named ones and writes the preset back in one write. The changes are checked
// before the pedal is touched, through the same parameter table and value rules as the
// editor window.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"
#include "devices/Preset.h"
#include "devices/PresetParameters.h"

namespace harbrix::ctl {
namespace {

struct Change {
    const parameters::Parameter* parameter;
    int value;
};

std::optional<std::vector<Change>> parseChanges(const std::vector<std::string>& words,
                                                std::string& error) {
    std::vector<Change> changes;
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const auto* parameter = parameters::find(key);
        if (parameter == nullptr) {
            error = "unknown parameter \"" + key + "\" (harbrixctl params SLOT lists them)";
            return std::nullopt;
        }
        if (equals == std::string::npos) {
            error = key + " needs a value: " + key + "=VALUE";
            return std::nullopt;
        }
        const std::string text = word.substr(equals + 1);
        const auto value = parameters::parseValue(*parameter, text);
        if (!value) {
            error = "bad value \"" + text + "\" for " + key +
                    (parameter->kind == parameters::Kind::toggle ? " (on or off)" : " (0 to 127)");
            return std::nullopt;
        }
        changes.push_back({parameter, *value});
    }
    return changes;
}

void print(const Preset& preset) {
    std::printf("%-22s %s\n", "name", printableName(preset.displayName()).c_str());
    for (const auto& parameter : parameters::table()) {
        const int value = preset.value(parameter.key).value_or(0);
        std::printf("%-22s %s\n", std::string(parameter.key).c_str(),
                    parameters::valueText(parameter, value).c_str());
    }
}

}  // namespace

int paramsCommand(const CommandLine& line) {
    std::string error;
    const std::size_t most = parameters::table().size();
    auto session = DeviceSession::fromCommandLine(line, error, 1, most);
    if (!session) return usageError(error);
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    const std::vector<std::string> words(session->arguments().begin() + 1,
                                         session->arguments().end());
    const auto changes = parseChanges(words, error);
    if (!changes) return usageError(error);
    int status = 0;
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        const auto cached = readSlot(device, *slot, status);
        if (!cached) return status;
        if (cached->empty()) return fail(kBadInput, "slot " + slotLabel(*slot) + " is empty");
        const auto preset = cached->copy();
        if (!changes->empty()) {
            for (const Change& change : *changes)
                parameters::applyEdit(*preset, change.parameter->key, change.value, *slot);
            // Journaled as the editor's Save, so `harbrixctl undo` puts the old values back.
            const auto written = JournaledWrites::run(
                device, "Save", {{*slot, preset->serialized()}}, false, {}, withoutJournal(line));
            if (written.refusal) return refused(*written.refusal);
            if (!written.succeeded()) return fail(kPedalFailed, written.problem());
        }
        print(*preset);
        return 0;
    });
}

}  // namespace harbrix::ctl
