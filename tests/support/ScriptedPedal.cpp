#include "support/ScriptedPedal.h"

#include <algorithm>

#include "link/Commands.h"

namespace harbrix::test {
namespace {

constexpr std::size_t kHeader = 8;
constexpr std::size_t kNameSize = 24;

std::uint32_t word(const Bytes& bytes, std::size_t at) {
    if (bytes.size() < at + 4) return 0;
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

Bytes errorReply(std::uint8_t error) {
    return Bytes{error, 0};
}

const std::set<std::uint8_t>& modelCommands(const std::string& model) {
    static const std::set<std::uint8_t> miv3{1,   2,   3,   5,   13,  16,  17,  18,
                                             19,  22,  112, 128, 129, 130, 131, 132,
                                             144, 145, 146, 147, 149, 240, 242};
    static const std::set<std::uint8_t> nax3{1,   2,   3,   5,   13,  16,  22,  112,
                                             128, 129, 130, 131, 132, 149, 240, 242};
    return model == "MIV3" ? miv3 : nax3;
}

}  // namespace

ScriptedPedal::ScriptedPedal(std::string model) : model_(std::move(model)) {
    line_->setResponder([this](const Bytes& request) {
        auto reply = answer(request);
        return unanswered.count(request.empty() ? 0 : request[0]) ? std::nullopt : reply;
    });
}

std::shared_ptr<QORUARTDevice> ScriptedPedal::bringUp(const std::string& serial) {
    auto device = std::make_shared<QORUARTDevice>("cu.usbserial-SCRIPTED", model_, serial, line_);
    return device->completeInitialization() ? device : nullptr;
}

std::optional<Bytes> ScriptedPedal::answer(const Bytes& request) {
    if (request.size() < kHeader) return std::nullopt;
    std::lock_guard lock(mutex_);
    const std::uint8_t command = request[0];
    const std::size_t count = request[2] | request[3] << 8;
    const std::uint32_t argument = word(request, 4);
    const Bytes payload(request.begin() + kHeader, request.end());

    const auto& advertised = commands.empty() ? modelCommands(model_) : commands;
    if (!advertised.count(command) && command != Command::WHO_RU) return errorReply(1);
    if (const auto forced = errors.find(command); forced != errors.end())
        return errorReply(forced->second);
    if (const auto forced = slotErrors.find({command, argument}); forced != slotErrors.end())
        return errorReply(forced->second);
    if (const auto forced = nthErrors.find({command, ++seen_[command]}); forced != nthErrors.end())
        return errorReply(forced->second);

    switch (command) {
        case Command::WHO_RU:
            return textReply(model_ == "MIV3" ? "QOR,,MIV3,,42.1.0,,Mar 4 2021 10:11:12"
                                              : "QOR,,NAX3,,2.0.1");
        case Command::GET_CMDS: {
            Bytes codes(advertised.begin(), advertised.end());
            codes.push_back(0);
            return okReply(codes);
        }
        case Command::GET_TMO:
            return okReply({2, 1, 2, 3});
        case Command::PRESET_INFO:
            return okReply({slots, parameters, 0});
        case Command::LOCAL_CONTROLX: {
            Bytes block(48, 0);
            block[1] = static_cast<std::uint8_t>(selected);
            for (const auto& [slot, bytes] : presets)
                if (slot < 128) block[32 + slot / 8] |= static_cast<std::uint8_t>(1u << (slot % 8));
            return okReply(block);
        }
        case Command::READ_PRESET: {
            if (unreadable.count(argument)) return errorReply(5);
            const auto it = presets.find(argument);
            return it == presets.end() ? errorReply(6) : okReply(it->second);
        }
        case Command::WRITE_PRESET:
            presets[argument] = payload;
            return okReply();
        case Command::ERASE_PRESET:
            presets.erase(argument);
            return okReply();
        case Command::GET_PRESET_NAME: {
            const auto it = presets.find(argument);
            if (it == presets.end()) return errorReply(6);
            return textReply(std::string(it->second.begin(), it->second.begin() + kNameSize));
        }
        case Command::SET_PRESET_NAME:
            return payload.size() == count ? okReply() : errorReply(2);
        case Command::SET_PRESET:
            selected = argument & 0xFF;
            return okReply();
        case Command::GET_PRESET:
            return okReply({static_cast<std::uint8_t>(selected)});
        case Command::PEEKC:
            if (argument != kSelectedPresetAddress) return errorReply(2);
            return okReply({static_cast<std::uint8_t>(selected),
                            static_cast<std::uint8_t>(selected >> 8),
                            static_cast<std::uint8_t>(selected >> 16),
                            static_cast<std::uint8_t>(selected >> 24)});
        case Command::POKEC:
            if (argument != kSelectedPresetAddress) return errorReply(2);
            selected = word(payload, 0);
            return okReply();
        default:
            return okReply();
    }
}

Bytes presetBytes(const std::string& name, std::uint8_t seed) {
    Bytes bytes(104, 0);
    std::fill_n(bytes.begin(), kNameSize, ' ');
    std::copy_n(name.begin(), std::min(name.size(), kNameSize), bytes.begin());
    for (std::size_t i = kNameSize; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((seed * 31 + i * 7) & 0xFF);
    return bytes;
}

}  // namespace harbrix::test
