// harbrixctl settings [KEY=VALUE...]: shows the pedal's seven global settings by name, or
// writes the named ones through the settings words and shows what the pedal then holds.
// Values are checked before the pedal is touched.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "PedalControl.h"
#include "PresetCommands.h"

namespace harbrix::ctl {
namespace {

constexpr std::uint32_t kOmni = 16;
constexpr std::uint32_t kMaxContrast = 10;
constexpr std::size_t kMostKeys = 16;
const char* const kHomeviews[] = {"standard", "graphic", "data-1", "data-2", "performance"};

std::optional<std::uint32_t> number(const std::string& text, std::uint32_t low,
                                    std::uint32_t high) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(std::stoul(text));
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> onOff(const std::string& text) {
    if (text == "on") return 1;
    if (text == "off") return 0;
    return std::nullopt;
}

std::optional<std::uint32_t> channel(const std::string& text) {
    if (text == "omni") return kOmni;
    const auto value = number(text, 1, 16);
    return value ? std::optional<std::uint32_t>(*value - 1) : std::nullopt;
}

std::optional<std::uint32_t> contrast(const std::string& text) {
    return number(text, 0, kMaxContrast);
}

std::optional<std::uint32_t> homeview(const std::string& text) {
    for (std::uint32_t i = 0; i < std::size(kHomeviews); ++i)
        if (text == kHomeviews[i]) return i;
    return number(text, 0, std::size(kHomeviews) - 1);
}

std::string showChannel(std::uint32_t word) {
    if (word == kOmni) return "omni";
    return word < kOmni ? std::to_string(word + 1) : "unknown (" + std::to_string(word) + ")";
}

std::string showOnOff(std::uint32_t word) {
    return (word & 0xFF) != 0 ? "on" : "off";
}

std::string showNumber(std::uint32_t word) {
    return std::to_string(word);
}

std::string showHomeview(std::uint32_t word) {
    if (word >= std::size(kHomeviews)) return std::to_string(word);
    return std::to_string(word) + " (" + kHomeviews[word] + ")";
}

// The settings in the order the pedal keeps them; pitch-wheel sensitivity is shown only.
struct Setting {
    const char* key;
    std::uint32_t SettingsBlock::*word;
    std::string (*show)(std::uint32_t);
    std::optional<std::uint32_t> (*parse)(const std::string&);  // null: cannot be set here
    const char* range;
    void (*apply)(QORUARTDevice&, std::uint32_t);
};

const Setting kSettings[] = {
    {"midi-channel", &SettingsBlock::midiChannel, showChannel, channel, "1 to 16 or omni",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setMidiChannel(v); }},
    {"midi-thru", &SettingsBlock::midiThru, showOnOff, onOff, "on or off",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setMidiThru(v != 0); }},
    {"midi-keyboard", &SettingsBlock::midiKeyboard, showOnOff, onOff, "on or off",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setMidiKeyboard(v != 0); }},
    {"pitch-wheel-sensitivity", &SettingsBlock::midiPitchWheelSensitivity, showNumber, nullptr, "",
     nullptr},
    {"contrast", &SettingsBlock::displayContrast, showNumber, contrast, "0 to 10",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setContrast(v); }},
    {"homeview", &SettingsBlock::displayHomeview, showHomeview, homeview,
     "0 to 4, standard, graphic, data-1, data-2 or performance",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setHomeview(v); }},
    {"name-crawl", &SettingsBlock::displayNameCrawl, showOnOff, onOff, "on or off",
     [](QORUARTDevice& d, std::uint32_t v) { d.ram().setNameCrawlEnabled(v != 0); }},
};

struct Change {
    const Setting* setting;
    std::uint32_t value;
};

// The changes a line asks for, or the message saying what is wrong with it.
std::optional<std::vector<Change>> parseChanges(const std::vector<std::string>& words,
                                                std::string& error) {
    std::vector<Change> changes;
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const Setting* setting = nullptr;
        for (const Setting& s : kSettings)
            if (key == s.key && s.parse) setting = &s;
        if (setting == nullptr) {
            error = "unknown setting \"" + key +
                    "\" (midi-channel, midi-thru, midi-keyboard, contrast, homeview or name-crawl)";
            return std::nullopt;
        }
        const auto value =
            equals == std::string::npos ? std::nullopt : setting->parse(word.substr(equals + 1));
        if (!value) {
            error = equals == std::string::npos ? key + " needs a value: " + key + "=VALUE"
                                                : "bad value \"" + word.substr(equals + 1) +
                                                      "\" for " + key + " (" + setting->range + ")";
            return std::nullopt;
        }
        changes.push_back({setting, *value});
    }
    return changes;
}

void print(const SettingsBlock& settings) {
    for (const Setting& s : kSettings)
        std::printf("%-24s %s\n", s.key, s.show(settings.*s.word).c_str());
}

}  // namespace

int settingsCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, 0, kMostKeys);
    if (!session) return usageError(error);
    const auto changes = parseChanges(session->arguments(), error);
    if (!changes) return usageError(error);
    return runBroughtUp(*session, line, [&changes](QORUARTDevice& device) {
        if (const int refused = needsMemoryMap(device, "global settings")) return refused;
        for (const Change& change : *changes) change.setting->apply(device, change.value);
        const auto settings = device.ram().readSettings();
        if (!settings) return fail(kPedalFailed, "the pedal did not answer the settings read");
        print(*settings);
        for (const Change& change : *changes) {
            if ((*settings).*change.setting->word != change.value)
                return fail(kPedalFailed,
                            std::string(change.setting->key) + " was not taken by the pedal");
        }
        return 0;
    });
}

}  // namespace harbrix::ctl
