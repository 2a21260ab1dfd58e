// The preset record: the key map, value and switch bytes, the name field and the two copies.
#include "devices/Preset.h"

#include <algorithm>
#include <array>
#include <functional>

#include "devices/PresetFile.h"
#include "link/QORUARTDevice.h"
#include "link/StringPad.h"
#include "link/Utf8Text.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

constexpr std::size_t kEmptyMarker = 27;
constexpr std::string_view kPrivateTilde = "\xEF\xA2\x88";  // U+F888

// Where each parameter lives. A switch is one bit (its mask) of byte 28; a value byte holds
// a 7-bit value shifted left by one (mask 0).
struct KeyPlace {
    std::string_view key;
    std::uint8_t offset;
    std::uint8_t mask;
};

constexpr std::array<KeyPlace, 32> kKeyMap{{
    {"left", 28, 1},
    {"right", 28, 2},
    {"direct", 28, 4},
    {"exp", 28, 8},
    {"focus", 28, 16},
    {"dryAttack", 28, 32},
    {"dryLPFilter", 28, 64},
    {"dryDetune", 28, 128},
    {"masterVolume", 32, 0},
    {"panDry", 33, 0},
    {"panM2", 34, 0},
    {"panM1", 35, 0},
    {"panP5th", 36, 0},
    {"panP1", 37, 0},
    {"panP2", 38, 0},
    {"LPFilterQ", 39, 0},
    {"LPFilterEnv", 40, 0},
    {"detuneSpread", 41, 0},
    {"inputGain", 42, 0},
    {"levelDry", 43, 0},
    {"levelM2", 44, 0},
    {"levelM1", 45, 0},
    {"levelP5th", 46, 0},
    {"levelP1", 47, 0},
    {"levelP2", 48, 0},
    {"levelAttack", 49, 0},
    {"levelLPFilter", 50, 0},
    {"levelDetune", 51, 0},
    {"expReverse", 56, 0},
    {"expHeelTransposition", 57, 0},
    {"expToeTransposition", 58, 0},
    {"expMode", 59, 0},
}};

static_assert(std::all_of(kKeyMap.begin(), kKeyMap.end(),
                          [](const KeyPlace& p) { return p.offset < Preset::kSize; }),
              "every parameter lies inside the smallest preset");

const KeyPlace* place(std::string_view key) {
    const auto it = std::find_if(kKeyMap.begin(), kKeyMap.end(),
                                 [key](const KeyPlace& p) { return p.key == key; });
    return it == kKeyMap.end() ? nullptr : &*it;
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The name field for a text: U+F888 back to "~", padded with spaces or cut to 24
// characters; none unless the result is all ASCII.
std::optional<Bytes> nameField(const std::string& text) {
    const std::string field =
        paddedString(replaced(text, kPrivateTilde, "~"), Preset::kNameLength, /*cropped=*/true);
    const bool ascii = std::all_of(field.begin(), field.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii || field.size() != Preset::kNameLength) return std::nullopt;
    return Bytes(field.begin(), field.end());
}

}  // namespace

Preset::Preset(Bytes bytes, bool empty) : core_(bytes), clean_(std::move(bytes)), empty_(empty) {}

std::shared_ptr<Preset> Preset::emptyPresetForDevice(const QORUARTDevice* device) {
    if (device == nullptr) return nullptr;
    Bytes bytes(kSize, 0);
    std::fill_n(bytes.begin(), kNameLength, ' ');
    bytes[kEmptyMarker] = 1;
    return std::shared_ptr<Preset>(new Preset(std::move(bytes), true));
}

std::shared_ptr<Preset> Preset::presetWithSerialized(const Bytes& bytes,
                                                     const QORUARTDevice* device, bool prefixed) {
    if (device == nullptr) return nullptr;
    if (prefixed) return parsePresetFile(bytes, device->model().get()).preset;
    return presetWithSerialized(bytes);
}

std::shared_ptr<Preset> Preset::presetWithSerialized(const Bytes& bytes) {
    if (bytes.size() < kSize) return nullptr;
    return std::shared_ptr<Preset>(new Preset(bytes));
}

const std::vector<std::string>& Preset::mapKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (const KeyPlace& p : kKeyMap) all.emplace_back(p.key);
        return all;
    }();
    return keys;
}

std::optional<Bytes> Preset::serializedForImportFromDevice(const QORUARTDevice* device) const {
    if (device == nullptr) return std::nullopt;
    return presetFileBytes(clean_, device->model().get());
}

std::optional<int> Preset::value(std::string_view key) const {
    const KeyPlace* p = place(key);
    if (p == nullptr) return std::nullopt;
    const std::uint8_t byte = core_[p->offset];
    if (p->mask != 0) return (byte & p->mask) != 0 ? 1 : 0;
    return byte >> 1;
}

bool Preset::setValue(std::string_view key, int value) {
    const KeyPlace* p = place(key);
    if (p == nullptr) return false;
    std::uint8_t byte = core_[p->offset];
    if (p->mask != 0) {
        byte = value != 0 ? byte | p->mask : byte & ~p->mask;
    } else {
        byte = static_cast<std::uint8_t>((static_cast<unsigned>(value) & 0x7F) << 1);
        logFormat("%d:%lld", value, static_cast<long long>(value) * 2);
    }
    changeBytes(p->offset, Bytes{byte});
    return true;
}

void Preset::changeBytes(std::size_t offset, const Bytes& bytes) {
    const auto at = core_.begin() + static_cast<std::ptrdiff_t>(offset);
    Bytes now(at, at + static_cast<std::ptrdiff_t>(bytes.size()));
    undo_.registerUndo(kEditActionName, [this, offset, now] { changeBytes(offset, now); });
    std::copy(bytes.begin(), bytes.end(), at);
}

std::string Preset::name() const {
    const auto field = core_.begin() + kNameLength;
    if (std::any_of(core_.begin(), field, [](std::uint8_t b) { return b >= 0x80; })) return "";
    const std::string text(core_.begin(), field);
    return std::string(trimmedText(text));
}

std::string Preset::displayName() const {
    return displayedPresetName(name());
}

void Preset::setName(const std::string& text) {
    if (const auto field = nameField(text)) std::copy(field->begin(), field->end(), core_.begin());
}

void Preset::editName(const std::string& text) {
    if (const auto field = nameField(text)) changeBytes(0, *field);
}

bool Preset::storableName(const std::string& text) {
    return nameField(text).has_value();
}

void Preset::revert() {
    core_ = clean_;
    undo_.removeAllActions();
}

std::shared_ptr<Preset> Preset::copy() const {
    return std::shared_ptr<Preset>(new Preset(core_));
}

std::shared_ptr<Preset> Preset::savedCopy() const {
    return std::shared_ptr<Preset>(new Preset(clean_));
}

std::shared_ptr<Preset> Preset::keepingEdits(const Bytes& edited, const Bytes& since) const {
    std::shared_ptr<Preset> preset(new Preset(clean_));
    preset->core_ = core_;
    const std::size_t common = std::min({core_.size(), edited.size(), since.size()});
    for (std::size_t i = 0; i < common; ++i)
        if (edited[i] != since[i] && core_[i] == since[i]) preset->core_[i] = edited[i];
    return preset;
}

std::size_t Preset::hash() const {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(core_.data()), core_.size()));
}

bool Preset::isEqualToCleanPreset(const Preset* other) const {
    return other != nullptr && clean_ == other->clean_;
}

std::string displayedPresetName(const std::string& name) {
    return replaced(name, "~", kPrivateTilde);
}

}  // namespace harbrix
