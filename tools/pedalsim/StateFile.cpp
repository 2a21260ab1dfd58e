// State file reading and writing with nlohmann-json; nothing here throws to the caller.
#include "StateFile.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Hex.h"

namespace harbrix::pedalsim {
namespace {

using nlohmann::json;

struct SettingField {
    const char* key;
    std::uint32_t Settings::*field;
};

constexpr SettingField kSettingFields[] = {
    {"midiChannel", &Settings::midiChannel},
    {"midiThru", &Settings::midiThru},
    {"midiKeyboard", &Settings::midiKeyboard},
    {"midiPitchWheelSensitivity", &Settings::midiPitchWheelSensitivity},
    {"displayContrast", &Settings::displayContrast},
    {"displayHomeview", &Settings::displayHomeview},
    {"displayNameCrawl", &Settings::displayNameCrawl},
};

bool readSlot(const std::string& key, std::size_t& slot) {
    const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), slot);
    return ec == std::errc() && end == key.data() + key.size() && !key.empty() && slot < kSlotCount;
}

bool isWord(const json& value) {
    return value.is_number_unsigned() && value.get<std::uint64_t>() <= 0xFFFFFFFFu;
}

// Builds the whole state before touching the caller's, so a bad file changes nothing.
bool parse(const json& doc, PedalState& out, std::string& error) {
    if (!doc.is_object()) return error = "not a JSON object", false;
    PedalState state;
    if (doc.contains("presets")) {
        const json& presets = doc["presets"];
        if (!presets.is_object()) return error = "\"presets\" is not an object", false;
        for (const auto& [key, value] : presets.items()) {
            std::size_t slot = 0;
            if (!readSlot(key, slot)) return error = "bad preset slot \"" + key + "\"", false;
            const auto bytes =
                value.is_string() ? bytesFromHex(value.get<std::string>()) : std::nullopt;
            if (!bytes || !state.setPreset(slot, *bytes)) {
                return error = "preset " + key + " is not 104 bytes of hex", false;
            }
        }
    }
    if (doc.contains("edited")) {
        const json& edited = doc["edited"];
        if (!edited.is_array()) return error = "\"edited\" is not a list", false;
        for (const json& slot : edited) {
            if (!slot.is_number_unsigned() || slot.get<std::uint64_t>() >= kSlotCount) {
                return error = "bad slot in \"edited\"", false;
            }
            state.setEdited(slot.get<std::size_t>(), true);
        }
    }
    if (doc.contains("settings")) {
        const json& settings = doc["settings"];
        if (!settings.is_object()) return error = "\"settings\" is not an object", false;
        Settings block;
        for (const SettingField& f : kSettingFields) {
            if (!settings.contains(f.key)) continue;
            if (!isWord(settings[f.key])) return error = std::string("bad setting ") + f.key, false;
            block.*f.field = settings[f.key].get<std::uint32_t>();
        }
        state.setSettings(block);
    }
    if (doc.contains("selectedPreset")) {
        const json& selected = doc["selectedPreset"];
        if (!selected.is_number_unsigned() || selected.get<std::uint64_t>() >= kSlotCount) {
            return error = "bad \"selectedPreset\"", false;
        }
        state.setSelectedPreset(selected.get<std::uint8_t>());
    }
    if (doc.contains("effectEnabled")) {
        if (!doc["effectEnabled"].is_boolean()) return error = "bad \"effectEnabled\"", false;
        state.setEffectEnabled(doc["effectEnabled"].get<bool>());
    }
    if (doc.contains("speed")) {
        if (!isWord(doc["speed"]) || doc["speed"].get<std::uint32_t>() == 0) {
            return error = "bad \"speed\"", false;
        }
        state.setSpeed(doc["speed"].get<std::uint32_t>());
    }
    state.takeChanged();
    out = std::move(state);
    return true;
}

json render(const PedalState& state) {
    json presets = json::object();
    json edited = json::array();
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (const auto& preset = state.preset(slot))
            presets[std::to_string(slot)] = hexText(*preset);
        if (state.edited(slot)) edited.push_back(slot);
    }
    json settings = json::object();
    for (const SettingField& f : kSettingFields) settings[f.key] = state.settings().*f.field;
    return json{{"presets", presets},
                {"edited", edited},
                {"settings", settings},
                {"selectedPreset", state.selectedPreset()},
                {"effectEnabled", state.effectEnabled()},
                {"speed", state.speed()}};
}

}  // namespace

StateFile::StateFile(std::string path) : path_(std::move(path)) {}

StateFile::Load StateFile::load(PedalState& state, std::string& error) const {
    std::error_code ec;
    if (std::filesystem::symlink_status(path_, ec).type() ==
        std::filesystem::file_type::not_found) {
        return Load::Missing;
    }
    std::ifstream in(path_);
    if (!in) {
        error = "cannot read " + path_;
        return Load::Invalid;
    }
    std::stringstream text;
    text << in.rdbuf();
    const json doc = json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded()) {
        error = path_ + " is not valid JSON";
        return Load::Invalid;
    }
    try {
        if (!parse(doc, state, error)) {
            error = path_ + ": " + error;
            return Load::Invalid;
        }
    } catch (const json::exception& e) {
        error = path_ + ": " + e.what();
        return Load::Invalid;
    }
    return Load::Loaded;
}

bool StateFile::save(const PedalState& state) const {
    const std::string temporary = path_ + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return false;
        out << render(state).dump(2) << '\n';
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace harbrix::pedalsim
