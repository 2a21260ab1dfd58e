// harbrixctl identify: bring a pedal up and print who it is and what state it is in.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "DeviceSession.h"
#include "link/BuildDate.h"
#include "link/Commands.h"

namespace harbrix::ctl {
namespace {

constexpr unsigned kSlots = 128;

const char* onOff(std::uint32_t value) { return value != 0 ? "on" : "off"; }

std::string displayName(const std::string& model) {
    if (model == "MIV3") return "MIV III";
    if (model == "NAX3") return "NAX III";
    return model;
}

void printIdentity(QORUARTDevice& device, const LCXreply& state) {
    const auto& model = *device.model();
    std::printf("Model:      %s (%s)\n", model.name().c_str(), displayName(model.name()).c_str());
    const auto date = model.date();
    std::printf("Firmware:   %s (built %s)\n", model.version().description().c_str(),
                date ? formatBuildDay(*date).c_str() : "---");
    std::printf("Node:       %s/%s", device.deviceRoot().c_str(), device.filename().c_str());
    if (!device.serial().empty()) std::printf(" (serial %s)", device.serial().c_str());
    std::printf("\n");

    std::printf("Commands:  ");
    for (const std::uint8_t code : device.commands()) {
        const auto name = commandName(code);
        if (name)
            std::printf(" %.*s", static_cast<int>(name->size()), name->data());
        else
            std::printf(" 0x%02X", code);
    }
    std::printf("\n");

    const auto& t = device.timeouts();
    std::printf("Time-outs:  reboot %u s, general %u s, flash %u s, recover %u s\n", t.reboot, t.general,
                t.flash, t.recover);
    const auto& schema = device.presetsSchema();
    std::printf("Presets:    %u slots of %u parameters, %zu byte(s) each\n", schema.presets,
                schema.parameters, elementSizeForCode(schema.stride));

    const auto s = SettingsBlock::fromLCXreply(state);
    std::printf("Settings:   MIDI channel %u, MIDI thru %s, MIDI keyboard %s, pitch-wheel sensitivity %u,\n"
                "            contrast %u, home view %u, name crawl %s\n",
                s.midiChannel, onOff(s.midiThru), onOff(s.midiKeyboard), s.midiPitchWheelSensitivity,
                s.displayContrast, s.displayHomeview, onOff(s.displayNameCrawl));

    std::string occupied;
    unsigned count = 0;
    for (unsigned slot = 0; slot < kSlots; ++slot) {
        if (!state.isOccupied(slot)) continue;
        char number[8];
        std::snprintf(number, sizeof number, " %02u", slot + 1);
        occupied += number;
        ++count;
    }
    std::printf("Occupied:  %s (%u of %u)\n", count ? occupied.c_str() : " none", count, schema.presets);
}

}  // namespace

int identifyCommand(const CommandLine& line) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error);
    if (!session) return usageError(error);
    session->device()->line().setLog(line.flag("log"));
    return session->run([](QORUARTDevice& device) {
        if (!device.completeInitialization()) {
            const std::string reason = device.failureReason();
            std::fprintf(stderr, "harbrixctl: %s\n", reason.empty() ? "the pedal did not come up" : reason.c_str());
            return 1;
        }
        const LCXreply state = device.bringUp().getInitialDeviceState();
        device.bringUp().enableHardwareControl();
        printIdentity(device, state);
        return 0;
    });
}

}  // namespace harbrix::ctl
